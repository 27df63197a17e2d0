/*
 * The Now Playing dialog: a modeless fly-out owned by the player's window,
 * in one of two layouts that share this procedure.  "Now Playing" (105)
 * shows the current track and the command buttons, "Control Panel" (106)
 * only the buttons; Settings.UseNowPlaying chooses, and "Switch View" flips
 * it.  ID_NOW_PLAYING shows the dialog in front with fresh values; it hides
 * itself when it loses activation or the focus, and before it passes a
 * button click on to the player's window.  Between uses it stays hidden,
 * not destroyed; quit destroys it.
 */
#include "kestrune.h"

#include <string.h>
#include <strsafe.h>

HWND NowPlayingDialog;

/* The track's four texts in the Now Playing layout: the tag's, or the player's for a file without one. */
static void ShowTrackTexts(HWND dialog, const TrackTexts *texts)
{
    SetDlgItemTextW(dialog, IDC_NP_TAG_TITLE, texts->Title);
    SetDlgItemTextW(dialog, IDC_NP_TAG_ARTIST, texts->Artist);
    SetDlgItemTextW(dialog, IDC_NP_TAG_ALBUM, texts->Album);
    SetDlgItemTextW(dialog, IDC_NP_TAG_COMMENT, texts->Comment);
}

/*
 * Minutes and seconds, "%u:%02u": 245 seconds give 4:05.  The player
 * reports -1 when it does not know the length (a stream); a negative length
 * leaves the field empty rather than show a wrapped number.
 */
static void ShowPlayLength(HWND dialog, int seconds)
{
    char text[24] = "";
    if (seconds >= 0)
        StringCchPrintfA(text, sizeof text, "%u:%02u", (unsigned)(seconds / 60), (unsigned)(seconds % 60));
    SetDlgItemTextA(dialog, IDC_NP_PLAY_LENGTH, text);
}

/* The playlist entry counted from 1, and the list's length: "3/12". */
static void ShowPlaylistEntry(HWND dialog)
{
    char text[24];
    StringCchPrintfA(text, sizeof text, "%u/%u", (unsigned)(NowPlaying.ListPosition + 1),
                     (unsigned)NowPlaying.ListLength);
    SetDlgItemTextA(dialog, IDC_NP_PLAYLIST_ENTRY, text);
}

/*
 * Fills the fields from NowPlaying and brings the dialog to the front, the
 * names and texts as the player gave them, in any script.  The four texts
 * are taken only where the current track has them (a tag that begins with
 * "TAG", or the player's metadata): after a file with neither the fields
 * keep the last texts shown.  The Control Panel lacks the track's fields,
 * so there only the build stamp is set.
 */
static void FillAndShow(HWND dialog)
{
    NowPlayingDialog = dialog;
    if (NowPlaying.Texts.Known)
        ShowTrackTexts(dialog, &NowPlaying.Texts);
    ShowPlayLength(dialog, NowPlaying.PlayLengthSeconds);
    ShowPlaylistEntry(dialog);
    SetDlgItemTextW(dialog, IDC_NP_FILE_NAME, NowPlaying.FileNameW);
    SetDlgItemTextW(dialog, IDC_NP_TITLE, NowPlaying.TitleW);
    ShowBuildStamp(dialog);
    ShowInFront(dialog);
}

/*
 * A button click: the dialog gets out of the way first, so that what the
 * command opens (a dialog, a box, the other layout) finds it hidden, then
 * the click goes on unchanged to the player's window, where the hook sees
 * the button's number as the command and the button as lParam.  The
 * command may destroy this dialog ("Switch View"): nothing touches it after
 * the send.
 */
static void PassClickOn(HWND dialog, WPARAM wParam, LPARAM lParam)
{
    HWND parent = GetParent(dialog);
    ShowWindow(dialog, SW_HIDE);
    SendMessageA(parent, WM_COMMAND, wParam, lParam);
}

/* A dialog destroyed by anything (its owner going away) is no longer the open one. */
static void Forget(HWND dialog)
{
    if (NowPlayingDialog == dialog)
        NowPlayingDialog = NULL;
}

static INT_PTR CALLBACK NowPlayingDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        FillAndShow(dialog);
        return 1;
    case WM_COMMAND:
        if (HIWORD(wParam) == 0)
            PassClickOn(dialog, wParam, lParam);
        return 1;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE)
            ShowWindow(dialog, SW_HIDE);
        return 0;
    case WM_KILLFOCUS:
        ShowWindow(dialog, SW_HIDE);
        return 1;
    case WM_NCDESTROY:
        Forget(dialog);
        return 0;
    }
    return 0;
}

/*
 * ID_NOW_PLAYING: creates the dialog in the layout Settings.UseNowPlaying
 * chooses (106 when set, 105 when clear), or refreshes and re-shows the
 * open one.  A failed creation leaves none, silently; the next command
 * tries again.
 */
void ShowNowPlaying(void)
{
    if (NowPlayingDialog) {
        SendMessageA(NowPlayingDialog, WM_INITDIALOG, 0, 0);
        return;
    }
    /* A Unicode dialog: its edits then hold any character, not only the code page's. */
    WORD layout = Settings.UseNowPlaying ? IDD_CONTROL_PANEL : IDD_NOW_PLAYING;
    NowPlayingDialog = CreateDialogParamW(PluginRecord.ModuleInstance, MAKEINTRESOURCEW(layout),
                                          PluginRecord.HostMainWindow, NowPlayingDialogProc, 0);
}

/* IDC_SWITCH_VIEW: the open dialog goes, the layout flips, and ID_NOW_PLAYING opens the other one. */
void SwitchNowPlayingView(void)
{
    if (NowPlayingDialog)
        DestroyWindow(NowPlayingDialog);
    NowPlayingDialog = NULL;
    Settings.UseNowPlaying = Settings.UseNowPlaying ? 0 : 1;
    SendMessageA(PluginRecord.HostMainWindow, WM_COMMAND, ID_NOW_PLAYING, 0);
}

/* Quit: the dialog runs this module's code, so it must not outlive the DLL. */
void CloseNowPlaying(void)
{
    if (NowPlayingDialog)
        DestroyWindow(NowPlayingDialog);
    NowPlayingDialog = NULL;
}
