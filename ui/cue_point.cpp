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
#include <stdlib.h>
#include <string.h>
#include <strsafe.h>

enum {
    FRAMES_PER_MINUTE = 60 * CUE_FRAMES_PER_SECOND,
    MILLISECONDS_PER_SECOND = 1000,
    /* The up-down control's range; every step is measured from its middle. */
    SPIN_UPPER = 0x7FFF,
    SPIN_MIDDLE = 0x3FFF,
    LOCATION_TEXT_SIZE = 260
};

static_assert((long long)CUE_POSITION_MAX * MILLISECONDS_PER_SECOND / CUE_FRAMES_PER_SECOND <= 0x7FFFFFFF &&
                  (long long)(CUE_POSITION_MAX + 1) * MILLISECONDS_PER_SECOND / CUE_FRAMES_PER_SECOND > 0x7FFFFFFF,
              "the largest cue position is the last whose milliseconds fit a signed 32-bit seek position");

/* The location in frames, shared by every open tweaker; always within 0 and CUE_POSITION_MAX. */
static int CuePosition;

/*
 * Positions are computed in 64 bits and kept within the range: a typed
 * 999999 minutes or a negative part neither wraps nor goes below 0, and
 * the milliseconds of any kept position fit the player's seek position.
 */
static int KeepInRange(long long frames)
{
    if (frames < 0)
        return 0;
    return frames > CUE_POSITION_MAX ? CUE_POSITION_MAX : (int)frames;
}

/*
 * A location "M:S:F": minutes from the start of the text, seconds after the
 * first colon, frames after the second, each read as strtol reads (leading
 * blanks and a sign allowed, stopping at the first non-digit, 0 without
 * digits).  A part may exceed its usual range and counts in full: 0:90:80
 * is 6830 frames.  Without two colons the text is no location.
 */
bool ParseCueLocation(const char *text, int *position)
{
    const char *first = strchr(text, ':');
    const char *second = first ? strchr(first + 1, ':') : NULL;
    if (!second)
        return false;
    long long frames = (long long)strtol(text, NULL, 10) * FRAMES_PER_MINUTE +
                       (long long)strtol(first + 1, NULL, 10) * CUE_FRAMES_PER_SECOND + strtol(second + 1, NULL, 10);
    *position = KeepInRange(frames);
    return true;
}

/* The location as "MM:SS:FF"; minutes are not limited (100 minutes show as 100:00:00). */
static void ShowLocation(HWND dialog)
{
    char text[32];
    StringCchPrintfA(text, sizeof text, "%02lu:%02lu:%02lu", (unsigned long)(CuePosition / FRAMES_PER_MINUTE),
                     (unsigned long)(CuePosition / CUE_FRAMES_PER_SECOND % 60),
                     (unsigned long)(CuePosition % CUE_FRAMES_PER_SECOND));
    SetDlgItemTextA(dialog, IDC_CUE_LOCATION, text);
}

/* "Current": the player's position in whole seconds (none, -1, counts as 0); nothing is sought. */
static void TakePlayerPosition(HWND dialog)
{
    int milliseconds = GetOutputTime(HOST_OUTPUT_POSITION_MS);
    if (milliseconds == -1)
        milliseconds = 0;
    CuePosition = KeepInRange((long long)(milliseconds / MILLISECONDS_PER_SECOND) * CUE_FRAMES_PER_SECOND);
    ShowLocation(dialog);
}

/* "Seek": the position in milliseconds, truncated, to the debugger output and to the player. */
static void SeekToLocation(void)
{
    int milliseconds = (int)((long long)CuePosition * MILLISECONDS_PER_SECOND / CUE_FRAMES_PER_SECOND);
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
    CuePosition = KeepInRange((long long)CuePosition + (short)HIWORD(wParam) - SPIN_MIDDLE);
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
