/*
 * The hook on the player's main window.  Every plug-in command arrives here
 * as a WM_COMMAND whose whole wParam is the command number; so do the tray
 * icon's callbacks, the menu-initialisation messages of every menu of the
 * window, and the shell's notice that it restarted, after which the tray
 * icon is added again (ui/tray.cpp handles the icon and its menu).  The
 * player's own notice that it starts a file goes on to the player and
 * brings the next poll forward.  Whatever the plug-in does not handle goes
 * on, unchanged, to the player's own procedure, and its result is
 * returned; so do the menu-initialisation messages, once the plug-in has
 * set its items, so that the player keeps its own menus up to date.
 */
#include "kestrune.h"

#include <shellapi.h>

/*
 * Set by quit.  From then on the hook hands every message straight to the
 * player's procedure: the window may still call it when something else
 * subclassed the window after the plug-in and the hook had to stay in the
 * chain (see RemoveMainWindowHook).
 */
static bool HookStopped;

/*
 * Set when the hook went onto a Unicode window (a player built for
 * Unicode registers its window so).  The hook is then installed, read and
 * chained with the W functions: installed with the A ones, it would make
 * the window an ANSI one, and every text message on its way to the
 * player's own procedure would pass through the ANSI code page.  The hook
 * itself reads only message numbers and its own commands, so it serves
 * both kinds alike.
 */
static bool HookIsUnicode;

/*
 * The window on which quit had to leave the hook in the chain (see
 * RemoveMainWindowHook); none otherwise.  The DLL then stays loaded with
 * this record, and a player that starts the plug-in again in the same
 * process finds it here.
 */
static HWND HookLeftOn;

/* ---- lyrics lookup ------------------------------------------------------- */

/*
 * Forms the address of the current track's lyrics page in the shared text
 * buffer and has the shell open it.  Nothing is opened unless the address
 * is complete; a complete address always starts with the site's base,
 * since MakeLyricsAddress writes the base first and encodes the tag texts.
 */
static void LookUpLyrics(void)
{
    if (MakeLyricsAddress(&NowPlaying.Tag, SharedText, sizeof SharedText))
        ShellExecuteA(NULL, "open", SharedText, NULL, "", SW_SHOWNORMAL);
}

/* ---- commands ------------------------------------------------------------ */

static void ToggleWindowshade(void)
{
    SendPlayerCommand(PLAYER_WINDOWSHADE_MAIN);
    SendPlayerCommand(PLAYER_WINDOWSHADE_PLAYLIST);
}

/* Kept on purpose: the "Choosing font" box, with the error icon, comes before the Title font picker. */
/* The picker opens after the box, unless the player quit the plug-in while the box was open. */
static void ChooseTitleFont(void)
{
    ShowBox(PluginRecord.HostMainWindow, "Choosing font", "Information",
            MB_ICONERROR | MB_TASKMODAL | MB_SETFOREGROUND | MB_TOPMOST);
    if (PluginRunning)
        ChooseLineFont(&Settings.Title);
}

/*
 * Runs one plug-in command.  Returns false for a number that is not one, so
 * that it goes on to the player.  The whole wParam is compared: a command
 * with a notification code in its high word is not the plug-in's.
 */
static bool RunPluginCommand(WPARAM command)
{
    // clang-format off
    switch (command) {
    case ID_PLAY: SendPlayerCommand(PLAYER_PLAY); return true;
    case ID_PAUSE_RESUME: SendPlayerCommand(PLAYER_PAUSE); return true;
    case ID_PREVIOUS_TRACK: SendPlayerCommand(PLAYER_PREVIOUS); return true;
    case ID_NEXT_TRACK: SendPlayerCommand(PLAYER_NEXT); return true;
    case ID_STOP: SendPlayerCommand(PLAYER_STOP); return true;
    case ID_STOP_AFTER_CURRENT: SendPlayerCommand(PLAYER_STOP_AFTER_CURRENT); return true;
    case ID_TOGGLE_WINDOWSHADE: ToggleWindowshade(); return true;
    case ID_COPY_TITLE: CopyTextToClipboard(NowPlaying.Title, NowPlaying.TitleW); return true;
    case ID_COPY_FILE_NAME: CopyTextToClipboard(NowPlaying.FileName, NowPlaying.FileNameW); return true;
    case ID_LYRICS_LOOKUP: LookUpLyrics(); return true;
    case ID_CONFIGURE: PluginConfig(); return true;
    case ID_STREAM_OUTPUTS: RunStreamOutputsDialog(); return true;
    case ID_SNAP_SHOT: TakeSnapShot(); return true;
    case ID_ADD_CURRENT_TRACK: AddCurrentTrack(); return true;
    case ID_ADD_ALL_TRACKS: AddAllTracks(); return true;
    case ID_REPLACE_PLAYLIST: ReplacePlaylist(); return true;
    case ID_COPY_TO_FAVORITES: CopyToFavorites(); return true;
    case IDC_CLEAR_PLAYLIST: ClearPlaylist(); return true;
    case ID_NOW_PLAYING: ShowNowPlaying(); return true;
    case IDC_SWITCH_VIEW: SwitchNowPlayingView(); return true;
    case ID_MARQUEE: OpenMarqueeWindow(); return true;
    case IDC_CUE_SHEET: OpenCuePointTweaker(); return true;
    case IDC_FONT_TITLE: ChooseTitleFont(); return true;
    case IDC_FONT_ARTIST: ChooseLineFont(&Settings.Artist); return true;
    case IDC_FONT_ALBUM: ChooseLineFont(&Settings.Album); return true;
    case IDC_FONT_TIME: ChooseLineFont(&Settings.Time); return true;
    case IDC_BACKGROUND: ChooseBackgroundColour(&Settings.MarqueeBackground); return true;
    }
    // clang-format on
    return false;
}

/* ---- the hook ------------------------------------------------------------ */

static LRESULT PassOn(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (HookIsUnicode)
        return CallWindowProcW(PreviousMainWindowProc, window, message, wParam, lParam);
    return CallWindowProcA(PreviousMainWindowProc, window, message, wParam, lParam);
}

/* ---- the player's notice: an early poll ---------------------------------- */

/*
 * When the player starts playing a file it tells its own main window
 * (HOST_NOTICE_PLAYING_FILE).  The hook hands the notice on unchanged and
 * then posts the window EarlyPollMessage, so the poll runs from the
 * player's message loop once the player has finished its own handling,
 * never inside it.  Notices that come before the posted message arrives
 * share it: EarlyPollPending says one is on its way.
 *
 * The early poll belongs to the poll timer: it runs only while the timer
 * runs, so neither before init has started it, nor after a failed start,
 * nor once quit has stopped it (a message still queued then does
 * nothing).  After quit the message reaches the player's own procedure, or
 * this hook as a pass-through, and is harmless there.
 */
static UINT EarlyPollMessage;
static bool EarlyPollPending;

/* At init: the message's number, and nothing pending from an earlier run. */
static void ArmEarlyPoll(void)
{
    EarlyPollMessage = RegisterWindowMessageA(EARLY_POLL_MESSAGE_NAME);
    EarlyPollPending = false;
}

static LRESULT PassOnPlayingNotice(HWND window, WPARAM fileName, LPARAM code)
{
    LRESULT result = PassOn(window, WM_USER, fileName, code);
    if (PollTimerId && EarlyPollMessage && !EarlyPollPending)
        EarlyPollPending = PostMessageA(window, EarlyPollMessage, 0, 0) != FALSE;
    return result;
}

/* The flag goes first: a notice during the poll's own message loops asks for the next one. */
static LRESULT RunEarlyPoll(void)
{
    if (!EarlyPollPending)
        return 0;
    EarlyPollPending = false;
    if (PollTimerId)
        PollHostEarly();
    return 0;
}

/* ---- the hook's dispatch ------------------------------------------------- */

LRESULT CALLBACK MainWindowHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    PluginFrame frame;
    if (HookStopped)
        return PassOn(window, message, wParam, lParam);
    if (message == WM_USER && lParam == HOST_NOTICE_PLAYING_FILE)
        return PassOnPlayingNotice(window, wParam, lParam);
    if (message == EarlyPollMessage && message != 0)
        return RunEarlyPoll();
    if (IsTaskbarCreated(message)) {
        NotifyTrayIcon(NIM_ADD);
        return PassOn(window, message, wParam, lParam);
    }
    switch (message) {
    case WM_COMMAND:
        return RunPluginCommand(wParam) ? 1 : PassOn(window, message, wParam, lParam);
    case WM_INITMENU:
    case WM_INITMENUPOPUP:
        InitialiseMenuItems((HMENU)wParam);
        return PassOn(window, message, wParam, lParam);
    case WM_TRAY_NOTIFY:
        return AnswerTrayIcon(lParam);
    case WM_CREATE:
    case WM_INITDIALOG:
        /* Kept on purpose: the "Init!" box, though the window exists before the hook is set. */
        ShowBox(window, "Init!", "information", MB_ICONINFORMATION);
        return PassOn(window, message, wParam, lParam);
    }
    return PassOn(window, message, wParam, lParam);
}

/* ---- installing and removing --------------------------------------------- */

/* The window's procedure, read in the hook's character set. */
static WNDPROC WindowProcedureOf(HWND window)
{
    if (HookIsUnicode)
        return (WNDPROC)GetWindowLongPtrW(window, GWLP_WNDPROC);
    return (WNDPROC)GetWindowLongPtrA(window, GWLP_WNDPROC);
}

static void SetWindowProcedure(HWND window, WNDPROC procedure)
{
    if (HookIsUnicode)
        SetWindowLongPtrW(window, GWLP_WNDPROC, (LONG_PTR)procedure);
    else
        SetWindowLongPtrA(window, GWLP_WNDPROC, (LONG_PTR)procedure);
}

/*
 * Keeps the player's procedure and puts the hook in its place.  When an
 * earlier quit left the hook in this window's chain, that hook is armed
 * again instead: it still sits between the later subclass and the
 * player's procedure.  Hooking the window a second time would take the
 * later subclass, whose previous procedure is the hook, for the player's
 * own, and every message would go round between the two for ever.
 */
void InstallMainWindowHook(void)
{
    HWND window = PluginRecord.HostMainWindow;
    HookStopped = false;
    RegisterTrayMessages();
    ArmEarlyPoll();
    if (HookLeftOn == window && IsWindow(window))
        return;
    HookLeftOn = NULL;
    HookIsUnicode = IsWindowUnicode(window) != FALSE;
    PreviousMainWindowProc = WindowProcedureOf(window);
    SetWindowProcedure(window, MainWindowHook);
}

/*
 * Takes the hook out at quit.  While the window's procedure is still the
 * hook, the player's own procedure is put back and nothing of the plug-in
 * stays reachable.  When something else subclassed the window after the
 * plug-in, it holds the hook's address as its own previous procedure;
 * setting the window's procedure would cut that subclass out, and leaving
 * it would have the window call into unloaded code.  Then the hook stays in
 * the chain as a pure pass-through and the DLL is pinned in memory, so the
 * player's FreeLibrary leaves its code in place for as long as the process
 * lives, and a later init in that process arms the same hook again.
 */
void RemoveMainWindowHook(void)
{
    HWND window = PluginRecord.HostMainWindow;
    HookStopped = true;
    if (!PreviousMainWindowProc || !IsWindow(window))
        return;
    if (WindowProcedureOf(window) == MainWindowHook) {
        SetWindowProcedure(window, PreviousMainWindowProc);
        HookLeftOn = NULL;
        return;
    }
    HookLeftOn = window;
    KeepModuleLoaded();
}
