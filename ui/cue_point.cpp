/*
 * The cue point tweaker: a small modeless dialog that seeks within the
 * current track to a location in minutes, seconds and CD frames (75 per
 * second).  "Current" reads the player's position into it, the up-down
 * control moves it frame by frame, the location edit takes a typed
 * location when it loses the focus, and "Seek" (or every step, with "Auto
 * Seek") sends the player there.  Each IDC_CUE_SHEET opens one more
 * tweaker; all of them share one position.  A tweaker closes with "OK", or
 * at quit.
 */
#include "kestrune.h"

#include <commctrl.h>
#include <strsafe.h>

enum {
    /* The up-down control's range; every step is measured from its middle. */
    SPIN_UPPER = 0x7FFF,
    SPIN_MIDDLE = 0x3FFF,
    LOCATION_TEXT_SIZE = 260
};

/* The location in frames, shared by every open tweaker; always within 0 and CUE_POSITION_MAX. */
static int CuePosition;

static void ShowLocation(HWND dialog)
{
    char text[32];
    FormatCueLocation(CuePosition, text, sizeof text);
    SetDlgItemTextA(dialog, IDC_CUE_LOCATION, text);
}

/* "Current": the player's position; nothing is sought. */
static void TakePlayerPosition(HWND dialog)
{
    CuePosition = CuePositionAt(GetOutputTime(HOST_OUTPUT_POSITION_MS));
    ShowLocation(dialog);
}

/* "Seek": the position in milliseconds, truncated, to the debugger output and to the player. */
static void SeekToLocation(void)
{
    int milliseconds = CueMilliseconds(CuePosition);
    char text[32];
    StringCchPrintfA(text, sizeof text, "Seek to: %lu", (unsigned long)milliseconds);
    OutputDebugStringA(text);
    JumpToTime(milliseconds);
}

/*
 * Every notification of the location edit is traced.  When the edit loses
 * the focus its text is taken as a location and written back in the
 * standard form; a text that is no location stays as it is.
 */
static void LocationEdited(HWND dialog, WPARAM wParam)
{
    char text[LOCATION_TEXT_SIZE];
    StringCchPrintfA(text, sizeof text, "0x%08lx, 0x%08lx", (unsigned long)wParam, (unsigned long)EN_KILLFOCUS);
    OutputDebugStringA(text);
    if (HIWORD(wParam) != EN_KILLFOCUS)
        return;
    GetDlgItemTextA(dialog, IDC_CUE_LOCATION, text, sizeof text);
    if (ParseCueLocation(text, &CuePosition))
        ShowLocation(dialog);
}

static void RunCommand(HWND dialog, WPARAM wParam)
{
    // clang-format off
    switch (LOWORD(wParam)) {
    case IDC_CUE_CURRENT: TakePlayerPosition(dialog); return;
    case IDC_CUE_SEEK: SeekToLocation(); return;
    case IDOK: DestroyWindow(dialog); return;
    case IDC_CUE_LOCATION: LocationEdited(dialog, wParam); return;
    }
    // clang-format on
}

/*
 * One step of the up-down control: its position (a signed 16-bit number)
 * less the middle is added, the control goes back to the middle so it
 * never reaches its limits, and with "Auto Seek" checked the player is
 * sent there at once.  Only the end of a step counts (SB_THUMBPOSITION,
 * SB_ENDSCROLL), and only from this dialog's own up-down control.
 */
static INT_PTR Step(HWND dialog, WPARAM wParam, LPARAM lParam)
{
    WORD code = LOWORD(wParam);
    if (code != SB_THUMBPOSITION && code != SB_ENDSCROLL)
        return 0;
    HWND spin = GetDlgItem(dialog, IDC_CUE_SPIN);
    if ((HWND)lParam != spin)
        return 1;
    CuePosition = KeepCuePosition((long long)CuePosition + (short)HIWORD(wParam) - SPIN_MIDDLE);
    SendMessageA(spin, UDM_SETPOS, 0, SPIN_MIDDLE);
    ShowLocation(dialog);
    if (IsDlgButtonChecked(dialog, IDC_CUE_AUTO_SEEK) == BST_CHECKED)
        SendMessageA(dialog, WM_COMMAND, IDC_CUE_SEEK, 0);
    return 1;
}

/* Build stamp, in front, the up-down control in the middle of 0..32767, and the player's position. */
static void Initialise(HWND dialog)
{
    ShowBuildStamp(dialog);
    ShowInFront(dialog);
    HWND spin = GetDlgItem(dialog, IDC_CUE_SPIN);
    SendMessageA(spin, UDM_SETRANGE, 0, SPIN_UPPER);
    SendMessageA(spin, UDM_SETPOS, 0, SPIN_MIDDLE);
    SendMessageA(dialog, WM_COMMAND, IDC_CUE_CURRENT, 0);
}

static INT_PTR CALLBACK CuePointDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        Initialise(dialog);
        return 1;
    case WM_COMMAND:
        RunCommand(dialog, wParam);
        return 1;
    case WM_VSCROLL:
        return Step(dialog, wParam, lParam);
    }
    return 0;
}

/* IDC_CUE_SHEET: one more tweaker, owned by the player's window; its handle is not kept. */
/* Kept on purpose: every command opens one more tweaker; all of them share one location. */
void OpenCuePointTweaker(void)
{
    CreateDialogParamA(PluginRecord.ModuleInstance, MAKEINTRESOURCEA(IDD_CUE_POINT_TWEAKER),
                       PluginRecord.HostMainWindow, CuePointDialogProc, 0);
}

static BOOL CALLBACK DestroyTweaker(HWND window, LPARAM unused)
{
    (void)unused;
    if ((DLGPROC)GetWindowLongPtrA(window, DWLP_DLGPROC) == CuePointDialogProc)
        DestroyWindow(window);
    return TRUE;
}

/*
 * Quit: every open tweaker runs this module's code, so none may outlive
 * the DLL.  They are found among the top-level windows of the player's
 * thread by their dialog procedure.
 */
void CloseCuePointTweakers(void)
{
    DWORD thread = GetWindowThreadProcessId(PluginRecord.HostMainWindow, NULL);
    if (thread)
        EnumThreadWindows(thread, DestroyTweaker, 0);
}
