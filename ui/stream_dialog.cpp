/*
 * The Stream Outputs window (template 109): the text file, its three
 * templates, the cover file and its size, and the UTF-8 switch of the
 * signature file and the log, with a preview of the template filled in for
 * the current track.  The window edits copies: OK takes them over and
 * makes both outputs anew; Cancel, Escape and the close box change nothing.
 */
#include "kestrune.h"

#include <strsafe.h>

/* The edits and the fields OK takes them into. */
struct StreamEdit {
    int Control;
    char *Field;
    size_t Size;
};

static const StreamEdit StreamEdits[] = {
    {IDC_STREAM_TEXT_EDIT, Settings.StreamTextFileName, sizeof Settings.StreamTextFileName},
    {IDC_STREAM_TEMPLATE, Settings.StreamTemplate, sizeof Settings.StreamTemplate},
    {IDC_STREAM_PAUSED, Settings.StreamPausedTemplate, sizeof Settings.StreamPausedTemplate},
    {IDC_STREAM_STOPPED, Settings.StreamStoppedText, sizeof Settings.StreamStoppedText},
    {IDC_STREAM_COVER_EDIT, Settings.StreamCoverFileName, sizeof Settings.StreamCoverFileName},
};

/* The window, one at a time. */
static ModalDialog StreamDialog;

/* The template as typed, filled for the current track. */
static void ShowPreview(HWND dialog)
{
    char pattern[STREAM_TEMPLATE_SIZE];
    GetDlgItemTextA(dialog, IDC_STREAM_TEMPLATE, pattern, sizeof pattern);
    static wchar_t preview[STREAM_TEXT_SIZE];
    FillStreamTemplateForTrack(pattern, preview, STREAM_TEXT_SIZE);
    SetDlgItemTextW(dialog, IDC_STREAM_PREVIEW, preview);
}

static INT_PTR OpenDialog(HWND dialog)
{
    StreamDialog.Window = dialog;
    for (const StreamEdit &edit : StreamEdits) {
        SendDlgItemMessageA(dialog, edit.Control, EM_LIMITTEXT, edit.Size - 1, 0);
        SetDlgItemTextA(dialog, edit.Control, edit.Field);
    }
    SetDlgItemInt(dialog, IDC_STREAM_COVER_SIZE, (UINT)Settings.StreamCoverSize, FALSE);
    CheckDlgButton(dialog, IDC_STREAM_UTF8, Settings.UseUTF8 ? BST_CHECKED : BST_UNCHECKED);
    ShowPreview(dialog);
    return 1;
}

/* Takes every edit over; a size outside 1 to 4096 keeps the one in use. */
static INT_PTR TakeOver(HWND dialog)
{
    for (const StreamEdit &edit : StreamEdits)
        GetDlgItemTextA(dialog, edit.Control, edit.Field, (int)edit.Size);
    BOOL number = FALSE;
    UINT size = GetDlgItemInt(dialog, IDC_STREAM_COVER_SIZE, &number, FALSE);
    if (number && size >= 1 && size <= STREAM_COVER_SIZE_MAX)
        Settings.StreamCoverSize = (int)size;
    Settings.UseUTF8 = IsDlgButtonChecked(dialog, IDC_STREAM_UTF8) == BST_CHECKED ? 1 : 0;
    EndDialog(dialog, IDOK);
    StreamSettingsChanged();
    return 1;
}

/* The Save-as picker for one file edit: a confirmed name goes into the edit, not yet into Settings. */
static INT_PTR ChooseFile(HWND dialog, int edit, const char *filter, const char *extension)
{
    char file[PATH_SIZE];
    GetDlgItemTextA(dialog, edit, file, sizeof file);
    if (ChooseSaveFile(dialog, filter, extension, file))
        SetDlgItemTextA(dialog, edit, file);
    return 1;
}

static INT_PTR RunCommand(HWND dialog, WPARAM command)
{
    if (LOWORD(command) == IDC_STREAM_TEMPLATE && HIWORD(command) == EN_CHANGE) {
        ShowPreview(dialog);
        return 1;
    }
    // clang-format off
    switch (command) {
    case IDOK: return TakeOver(dialog);
    case IDCANCEL: EndDialog(dialog, IDCANCEL); return 1;
    case IDC_STREAM_TEXT_BUTTON:
        return ChooseFile(dialog, IDC_STREAM_TEXT_EDIT, "Text Files\0*.txt\0All Files\0*.*\0", "txt");
    case IDC_STREAM_COVER_BUTTON:
        return ChooseFile(dialog, IDC_STREAM_COVER_EDIT, "PNG Images\0*.png\0", "png");
    }
    // clang-format on
    return 0;
}

static INT_PTR CALLBACK StreamDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    switch (message) {
    case WM_INITDIALOG:
        return OpenDialog(dialog);
    case WM_COMMAND:
        return RunCommand(dialog, wParam);
    }
    return 0;
}

/* Runs the window modally over the player's window; a request while it runs brings it to the front. */
void RunStreamOutputsDialog(void) { RunModalDialogOnce(IDD_STREAM_OUTPUTS, StreamDialogProc, &StreamDialog); }
