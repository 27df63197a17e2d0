/*
 * What quit needs to know about the plug-in's own code still running on the
 * player's thread: its frames (an entry of the plug-in that has not
 * returned yet) and its modal windows (dialogs, pickers, message boxes and
 * menus, each running a modal loop of its own).
 *
 * A player can be told to close from outside at any time (its tray icon, a
 * command line, the end of the Windows session), and the close reaches its
 * window from whatever message loop runs, also from one of the plug-in's
 * modal loops.  Quit then ends every modal window of the plug-in (dialogs
 * and pickers as cancelled, boxes closed, menus with EndMenu), so the loops
 * unwind; and when the plug-in's frames are still below it, the DLL keeps
 * itself loaded until the process ends, so that those frames return into
 * code that is still there, whether the player frees the DLL inside the
 * loop or after it has unwound.
 *
 * The windows are found as they are created: while a modal call runs, a
 * thread hook of the computer-based-training kind gives each new top-level
 * dialog ("#32770") to the innermost modal call that has none yet.  The
 * hook is set only while a modal call runs, and taken out at quit.
 */
#include "kestrune.h"

#include <string.h>

bool PluginRunning;

/* One modal call of the plug-in: its kind and, once created, its window. */
struct ModalRecord {
    ModalKind Kind;
    HWND Window;
};

/*
 * The modal calls in the order they nest.  Deeper nesting than this is
 * still counted, but its windows are not tracked.
 */
enum { MODAL_DEPTH_MAX = 32 };
static ModalRecord ModalCalls[MODAL_DEPTH_MAX];
static int ModalDepth;
static HHOOK ModalWindowHook;

/* Entries of the plug-in that have not returned yet. */
static int FrameDepth;

PluginFrame::PluginFrame() { FrameDepth++; }
PluginFrame::~PluginFrame() { FrameDepth--; }

bool PluginFramesBelow(void) { return FrameDepth > 0; }

static bool IsDialogClass(HWND window)
{
    char name[16];
    return GetClassNameA(window, name, sizeof name) > 0 && strcmp(name, "#32770") == 0;
}

/* A new top-level dialog belongs to the innermost modal call without a window. */
static LRESULT CALLBACK WatchModalWindows(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND && ModalDepth > 0 && ModalDepth <= MODAL_DEPTH_MAX) {
        const CBT_CREATEWNDA *create = (const CBT_CREATEWNDA *)lParam;
        ModalRecord *innermost = &ModalCalls[ModalDepth - 1];
        HWND window = (HWND)wParam;
        if (!innermost->Window && innermost->Kind != MODAL_MENU && !(create->lpcs->style & WS_CHILD) &&
            IsDialogClass(window))
            innermost->Window = window;
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}

void BeginModal(ModalKind kind)
{
    if (ModalDepth < MODAL_DEPTH_MAX) {
        ModalCalls[ModalDepth].Kind = kind;
        ModalCalls[ModalDepth].Window = NULL;
    }
    ModalDepth++;
    if (!ModalWindowHook && PluginRunning)
        ModalWindowHook = SetWindowsHookExA(WH_CBT, WatchModalWindows, NULL, GetCurrentThreadId());
}

void EndModal(void)
{
    if (ModalDepth > 0)
        ModalDepth--;
    if (ModalDepth == 0 && ModalWindowHook) {
        UnhookWindowsHookEx(ModalWindowHook);
        ModalWindowHook = NULL;
    }
}

/*
 * Dialogs of the plug-in end as cancelled (result 0, nothing taken over),
 * the platform's pickers through their own Cancel, boxes as cancelled,
 * menus with EndMenu.  Each loop leaves when control returns to it.
 */
static void EndModalCall(const ModalRecord *call)
{
    if (call->Kind == MODAL_MENU) {
        EndMenu();
        return;
    }
    if (!call->Window || !IsWindow(call->Window))
        return;
    switch (call->Kind) {
    case MODAL_DIALOG:
        EndDialog(call->Window, 0);
        break;
    case MODAL_PICKER:
        SendMessageA(call->Window, WM_COMMAND, IDCANCEL, 0);
        break;
    case MODAL_BOX:
        EndDialog(call->Window, IDCANCEL);
        break;
    case MODAL_MENU:
        break;
    }
}

/* Quit: the innermost first, since an outer loop can only leave once the inner ones have. */
void EndModalWindows(void)
{
    int tracked = ModalDepth < MODAL_DEPTH_MAX ? ModalDepth : MODAL_DEPTH_MAX;
    for (int i = tracked - 1; i >= 0; i--)
        EndModalCall(&ModalCalls[i]);
    if (ModalWindowHook) {
        UnhookWindowsHookEx(ModalWindowHook);
        ModalWindowHook = NULL;
    }
}

/*
 * Pins this module: the player's FreeLibrary no longer unloads it, and it
 * stays until the process ends.
 */
void KeepModuleLoaded(void)
{
    HMODULE self;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, (LPCSTR)KeepModuleLoaded,
                       &self);
}
