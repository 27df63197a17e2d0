/*
 * The configuration dialog (template 101): the one place where the user
 * edits Settings.  It keeps no copy of them: the file and folder pickers,
 * dropped files, "Load Pelmix" and the font and colour buttons write into
 * Settings at once, while the check boxes are taken over only when the
 * dialog ends through OK or "Marquee!".  There is no Cancel: Escape and
 * Alt+F4 leave the dialog open.
 */
#include "kestrune.h"

#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>
#include <strsafe.h>

/* One file row: its button, its edit, its field, and what its Save-as picker offers. */
struct FileRow {
    int Button;
    int Edit;
    char *Field;
    const char *Filter;
    const char *DefaultExtension;
};

static const FileRow FileRows[] = {
    {IDC_SIGNATURE_BUTTON, IDC_SIGNATURE_EDIT, Settings.SignatureFileName,
     "Text Files\0*.txt\0Signature Files\0*.sig\0", "txt"},
    {IDC_LOG_BUTTON, IDC_LOG_EDIT, Settings.LogFileName, "Text Files\0*.txt\0Log Files\0*.log\0", "log"},
    {IDC_M3U_BUTTON, IDC_M3U_EDIT, Settings.M3UFileName, "Play List Files\0*.m3u\0", "m3u"},
};

/* The check boxes, in the order in which OK takes them over. */
struct CheckBox {
    int Control;
    int *Switch;
};

static const CheckBox CheckBoxes[] = {
    {IDC_USE_SIGNATURE, &Settings.UseSignature},
    {IDC_USE_LOG, &Settings.UseLog},
    {IDC_USE_M3U, &Settings.UseM3U},
    {IDC_SIGNATURE_FILE_NAME, &Settings.RecordSignatureFileName},
    {IDC_SIGNATURE_TITLE, &Settings.RecordSignatureTitle},
    {IDC_LOG_FILE_NAME, &Settings.RecordLogFileName},
    {IDC_LOG_TITLE, &Settings.RecordLogTitle},
    {IDC_AUTO_COPY_FILE_NAME, &Settings.AutoClipboardCopyFileName},
    {IDC_AUTO_COPY_TITLE, &Settings.AutoClipboardCopyTitle},
    {IDC_CONFIGURE_ON_LAUNCH, &Settings.AlwaysConfigureOnLaunch},
    {IDC_ZELT_MODE, &Settings.Zelt_Mode},
    {IDC_USE_NOW_PLAYING, &Settings.UseNowPlaying},
    {IDC_SHOW_TITLE, &Settings.Title.Display},
    {IDC_SHOW_ARTIST, &Settings.Artist.Display},
    {IDC_SHOW_ALBUM, &Settings.Album.Display},
    {IDC_SHOW_TIME, &Settings.Time.Display},
};

/* The edits and the path each one shows. */
struct PathEdit {
    int Edit;
    const char *Path;
};

static const PathEdit PathEdits[] = {
    {IDC_SIGNATURE_EDIT, Settings.SignatureFileName},
    {IDC_LOG_EDIT, Settings.LogFileName},
    {IDC_M3U_EDIT, Settings.M3UFileName},
    {IDC_SNAPSHOT_EDIT, Settings.SnapShotDirectory},
    {IDC_FAVORITES_EDIT, Settings.FavoritesDirectory},
};

/*
 * The folder the folder picker last preselected: empty when the plug-in is
 * loaded, then the last non-empty path handed to the picker.
 */
static char FolderPreselection[PATH_SIZE];

/* ---- opening -------------------------------------------------------------- */

static void ShowSettings(HWND dialog)
{
    for (const CheckBox &box : CheckBoxes)
        CheckDlgButton(dialog, box.Control, *box.Switch ? BST_CHECKED : BST_UNCHECKED);
    for (const PathEdit &edit : PathEdits)
        SetDlgItemTextA(dialog, edit.Edit, edit.Path);
}

/*
 * The button's image, with its top-left pixel's colour shown as the window
 * colour.  A failed load leaves the button without an image.
 */
static void ShowPelmixImage(HWND dialog)
{
    HANDLE image = LoadImageA(PluginRecord.ModuleInstance, MAKEINTRESOURCEA(IDB_LOAD_PELMIX), IMAGE_BITMAP, 0, 0,
                              LR_LOADTRANSPARENT);
    if (image)
        SendDlgItemMessageA(dialog, IDC_LOAD_PELMIX, BM_SETIMAGE, IMAGE_BITMAP, (LPARAM)image);
}

/* The button does not own its image: it is deleted with the dialog. */
static void DeletePelmixImage(HWND dialog)
{
    HGDIOBJ image = (HGDIOBJ)SendDlgItemMessageA(dialog, IDC_LOAD_PELMIX, BM_GETIMAGE, IMAGE_BITMAP, 0);
    if (image)
        DeleteObject(image);
}

/* The open dialog, from its initialisation to its end. */
static ModalDialog ConfigurationDialog;

static INT_PTR OpenDialog(HWND dialog)
{
    ConfigurationDialog.Window = dialog;
    ShowBuildStampIn(dialog, IDC_CONFIG_BUILD_DATE, IDC_CONFIG_BUILD_TIME);
    ShowSettings(dialog);
    ShowPelmixImage(dialog);
    return 1;
}

/* ---- OK and "Marquee!" ---------------------------------------------------- */

/*
 * Takes over every check box, writes the master playlist's name at once
 * and ends the dialog.  For "Marquee!" the marquee command then goes to the
 * player's window and is handled before this returns.
 */
static INT_PTR CloseDialog(HWND dialog, bool openMarquee)
{
    for (const CheckBox &box : CheckBoxes)
        *box.Switch = IsDlgButtonChecked(dialog, box.Control) == BST_CHECKED ? 1 : 0;
    SaveM3UFileName();
    EndDialog(dialog, 1);
    if (openMarquee)
        SendMessageA(GetParent(dialog), WM_COMMAND, ID_MARQUEE, 0);
    return 1;
}

/* ---- file and folder pickers ---------------------------------------------- */

static const FileRow *FindFileRow(int control)
{
    for (const FileRow &row : FileRows)
        if (row.Button == control || row.Edit == control)
            return &row;
    return NULL;
}

/* A path of at most 259 characters into a field, shown in its edit. */
static void SetPath(HWND dialog, const FileRow *row, const char *path)
{
    StringCchCopyA(row->Field, PATH_SIZE, path);
    SetDlgItemTextA(dialog, row->Edit, row->Field);
}

/* A confirmed name replaces the field, a cancel changes nothing. */
static INT_PTR ChooseFile(HWND dialog, const FileRow *row)
{
    char file[PATH_SIZE];
    StringCchCopyA(file, sizeof file, row->Field);
    if (ChooseSaveFile(dialog, row->Filter, row->DefaultExtension, file))
        SetPath(dialog, row, file);
    return 1;
}

/* Selects the preselected folder as soon as the picker is ready. */
static int CALLBACK PreselectFolder(HWND picker, UINT message, LPARAM parameter, LPARAM data)
{
    (void)parameter;
    (void)data;
    if (message == BFFM_INITIALIZED)
        SendMessageA(picker, BFFM_SETSELECTIONA, TRUE, (LPARAM)FolderPreselection);
    return 0;
}

/*
 * Runs the folder picker over the whole namespace, opened on the folder
 * last preselected.  Returns 1 with the chosen folder's path in path (size
 * bytes), or 0 with path unchanged after a cancel or for an item without a
 * file-system path.
 */
static int BrowseForFolder(HWND owner, const char *title, char *path, size_t size)
{
    if (path[0])
        StringCchCopyA(FolderPreselection, sizeof FolderPreselection, path);
    BROWSEINFOA request;
    ZeroMemory(&request, sizeof request);
    request.hwndOwner = owner;
    request.lpszTitle = title;
    request.lpfn = PreselectFolder;
    BeginModal(MODAL_PICKER);
    LPITEMIDLIST item = SHBrowseForFolderA(&request);
    EndModal();
    if (!item)
        return 0;
    char chosen[PATH_SIZE] = "";
    BOOL isPath = SHGetPathFromIDListA(item, chosen);
    ILFree(item);
    if (!isPath || !chosen[0])
        return 0;
    StringCchCopyA(path, size, chosen);
    return 1;
}

/* The folder picker for one directory field; the edit shows the field whatever the outcome. */
static INT_PTR ChooseFolder(HWND dialog, const char *title, char *field, size_t size, int edit)
{
    BrowseForFolder(dialog, title, field, size);
    SetDlgItemTextA(dialog, edit, field);
    return 1;
}

static INT_PTR ChooseSnapshotFolder(HWND dialog)
{
    return ChooseFolder(dialog, "Select snapshot directory.", Settings.SnapShotDirectory,
                        sizeof Settings.SnapShotDirectory, IDC_SNAPSHOT_EDIT);
}

/* The favourites button is created disabled: only a command sent to the dialog gets here. */
static INT_PTR ChooseFavoritesFolder(HWND dialog)
{
    return ChooseFolder(dialog, "Select favorites directory.", Settings.FavoritesDirectory,
                        sizeof Settings.FavoritesDirectory, IDC_FAVORITES_EDIT);
}

/* ---- "Load Pelmix" and dropped files -------------------------------------- */

/*
 * The master playlist becomes the file that the other program has loaded:
 * key "File" of section "Options" in Pelmix.INI in the Windows folder.
 * Without one the field is emptied (and so never written) and an error box
 * says so.
 */
/* Kept on purpose: without a file loaded the name is emptied in memory, and so never written. */
static INT_PTR LoadPelmix(HWND dialog)
{
    GetPrivateProfileStringA("Options", "File", "", Settings.M3UFileName, sizeof Settings.M3UFileName, "Pelmix.INI");
    SetDlgItemTextA(dialog, IDC_M3U_EDIT, Settings.M3UFileName);
    if (!Settings.M3UFileName[0])
        ShowBox(dialog, "A file has not been loaded into Pelmix", "Error", MB_OK | MB_ICONERROR);
    return 1;
}

/*
 * The first of the dropped files replaces the field of the file row it was
 * dropped on; drops elsewhere are ignored.  The drop is finished in every
 * case.
 */
static INT_PTR DropFiles(HWND dialog, HDROP drop)
{
    UINT count = DragQueryFileA(drop, 0xFFFFFFFF, NULL, 0);
    POINT point;
    const FileRow *row = NULL;
    if (DragQueryPoint(drop, &point)) {
        HWND target = ChildWindowFromPoint(dialog, point);
        if (target && target != dialog)
            row = FindFileRow(GetDlgCtrlID(target));
    }
    char file[PATH_SIZE];
    if (count > 0 && row && DragQueryFileA(drop, 0, file, sizeof file) > 0)
        SetPath(dialog, row, file);
    DragFinish(drop);
    return 1;
}

/* ---- the dialog procedure ------------------------------------------------- */

static INT_PTR RunCommand(HWND dialog, WPARAM command)
{
    // clang-format off
    switch (command) {
    case IDOK: return CloseDialog(dialog, false);
    case IDC_MARQUEE: return CloseDialog(dialog, true);
    case IDC_SIGNATURE_BUTTON: return ChooseFile(dialog, &FileRows[0]);
    case IDC_LOG_BUTTON: return ChooseFile(dialog, &FileRows[1]);
    case IDC_M3U_BUTTON: return ChooseFile(dialog, &FileRows[2]);
    case IDC_SNAPSHOT_BUTTON: return ChooseSnapshotFolder(dialog);
    case IDC_FAVORITES_BUTTON: return ChooseFavoritesFolder(dialog);
    case IDC_FONT_TITLE: ChooseLineFont(&Settings.Title); return 1;
    case IDC_FONT_ARTIST: ChooseLineFont(&Settings.Artist); return 1;
    case IDC_FONT_ALBUM: ChooseLineFont(&Settings.Album); return 1;
    case IDC_FONT_TIME: ChooseLineFont(&Settings.Time); return 1;
    case IDC_BACKGROUND: ChooseBackgroundColour(&Settings.MarqueeBackground); return 1;
    case IDC_LOAD_PELMIX: return LoadPelmix(dialog);
    }
    // clang-format on
    return 0;
}

/*
 * Commands are matched on the whole wParam, so only clicks (notification
 * 0) count; everything not handled, IDCANCEL included, returns 0.  The
 * image is deleted on the way out, which the platform does not see as
 * handling the message.
 */
/* Kept on purpose: no Cancel, so Escape and Alt+F4 leave the dialog open. */
static INT_PTR CALLBACK ConfigDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    switch (message) {
    case WM_INITDIALOG:
        return OpenDialog(dialog);
    case WM_COMMAND:
        return RunCommand(dialog, wParam);
    case WM_DROPFILES:
        return DropFiles(dialog, (HDROP)wParam);
    case WM_DESTROY:
        DeletePelmixImage(dialog);
        return 0;
    }
    return 0;
}

/* Runs the dialog modally over the player's window; a request while it runs brings it to the front. */
void RunConfigurationDialog(void) { RunModalDialogOnce(IDD_CONFIGURATION, ConfigDialogProc, &ConfigurationDialog); }
