/*
 * The configuration dialog with the real DLL in the stand-in player: the
 * template in the DLL's resources, what the live dialog shows, what OK and
 * "Marquee!" take over, the keys that cannot close it, the Save-as and
 * folder pickers (the platform's own dialogs, driven as a user would),
 * dropped files, and the dialog at init.
 */
#include "tests/dialog_tests.h"

#include <regex>

namespace
{

/* A literal's bytes without the terminator the compiler adds: for texts that end in their own zeros. */
template <size_t N> std::string Bytes(const char (&literal)[N]) { return std::string(literal, N - 1); }

const char QuietStart[] = "AlwaysConfigureOnLaunch=0\r\nUseNowPlaying=0\r\nUseSignature=0\r\nUseLog=0\r\n";

/* The check boxes and the keys their switches are saved under. */
const struct {
    int Control;
    const char *Key;
} CheckBoxes[] = {{IDC_USE_SIGNATURE, "UseSignature"},
                  {IDC_USE_LOG, "UseLog"},
                  {IDC_USE_M3U, "UseM3U"},
                  {IDC_SIGNATURE_FILE_NAME, "RecordSignatureFileName"},
                  {IDC_SIGNATURE_TITLE, "RecordSignatureTitle"},
                  {IDC_LOG_FILE_NAME, "RecordLogFileName"},
                  {IDC_LOG_TITLE, "RecordLogTitle"},
                  {IDC_AUTO_COPY_FILE_NAME, "AutoClipboardCopyFileName"},
                  {IDC_AUTO_COPY_TITLE, "AutoClipboardCopyTitle"},
                  {IDC_CONFIGURE_ON_LAUNCH, "AlwaysConfigureOnLaunch"},
                  {IDC_ZELT_MODE, "Zelt_Mode"},
                  {IDC_USE_NOW_PLAYING, "UseNowPlaying"},
                  {IDC_SHOW_TITLE, "FONT_Title_Display"},
                  {IDC_SHOW_ARTIST, "FONT_Artist_Display"},
                  {IDC_SHOW_ALBUM, "FONT_Album_Display"},
                  {IDC_SHOW_TIME, "FONT_Time_Display"}};

/* The edits and the path keys they show. */
const struct {
    int Edit;
    const char *Key;
} PathEdits[] = {{IDC_SIGNATURE_EDIT, "SignatureFileName"},
                 {IDC_LOG_EDIT, "LogFileName"},
                 {IDC_M3U_EDIT, "M3UFileName"},
                 {IDC_SNAPSHOT_EDIT, "SnapShotDirectory"},
                 {IDC_FAVORITES_EDIT, "FavoritesDirectory"}};

class ConfigDialog : public DialogTest
{
  protected:
    void ShowSettingsAndClose(bool withPaths);
    void DropFiles(bool changingEdits);
};

/* What the code relies on in template 101, read back from the live dialog; and bitmap 111. */
TEST_F(ConfigDialog, ControlsHaveTheKindsTheCodeReliesOn)
{
    const DWORD push = BS_PUSHBUTTON, check = BS_AUTOCHECKBOX, none = 0xFFFF;
    const struct {
        std::vector<int> Ids;
        const char *Class;
        DWORD Type; /* BS_TYPEMASK part of a button's style */
        DWORD Style, ExStyle;
    } kinds[] = {{{IDOK}, "Button", BS_DEFPUSHBUTTON, WS_TABSTOP, 0},
                 {{1000, 1004, 1013, 1018}, "Button", push, WS_TABSTOP, WS_EX_ACCEPTFILES},
                 {{1020}, "Button", push, WS_TABSTOP | WS_DISABLED, WS_EX_ACCEPTFILES},
                 {{1001, 1005, 1014, 1019, 1021}, "Edit", none, WS_TABSTOP | ES_READONLY, WS_EX_ACCEPTFILES},
                 {{1037, 1038, 1039, 1040, 1042, 1043}, "Button", push, WS_TABSTOP, 0},
                 {{1095}, "Button", push, WS_TABSTOP | BS_BITMAP, 0},
                 {{1002, 1003, 1006, 1007, 1008, 1009, 1010, 1011, 1012, 1015, 1027, 1036, 1041, 1044, 1045, 1046},
                  "Button",
                  check,
                  WS_TABSTOP,
                  0},
                 {{1016, 1017}, "Static", none, WS_GROUP, 0}};
    WriteSettings(QuietStart);
    ASSERT_EQ(StartPlugin(), 0);
    Configure([&](HWND dialog, int) {
        EXPECT_FALSE(GetWindowLongA(dialog, GWL_STYLE) & WS_SYSMENU) << "no system menu, so no close box";
        size_t controls = 0, expected = 3; /* the group boxes */
        for (HWND control = GetWindow(dialog, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT))
            controls++;
        for (const auto &kind : kinds) {
            for (int id : kind.Ids) {
                expected++;
                HWND control = GetDlgItem(dialog, id);
                char name[16] = "";
                GetClassNameA(control, name, sizeof name);
                EXPECT_STRCASEEQ(kind.Class, name) << id;
                DWORD style = (DWORD)GetWindowLongA(control, GWL_STYLE);
                EXPECT_TRUE(kind.Type == none || kind.Type == (style & BS_TYPEMASK)) << id;
                EXPECT_EQ(kind.Style, style & kind.Style) << id;
                EXPECT_EQ(kind.ExStyle, (DWORD)GetWindowLongA(control, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) << id;
            }
        }
        EXPECT_EQ(expected, controls);
        Press(dialog, IDOK);
    });
    HRSRC bitmap = FindResourceA(PlayerPluginModule(), MAKEINTRESOURCEA(IDB_LOAD_PELMIX), (LPCSTR)RT_BITMAP);
    ASSERT_NE(nullptr, bitmap);
    const BITMAPINFOHEADER *header = (const BITMAPINFOHEADER *)LockResource(LoadResource(PlayerPluginModule(), bitmap));
    EXPECT_EQ(46, header->biWidth);
    EXPECT_EQ(46, header->biHeight);
    EXPECT_EQ(4, header->biBitCount) << "16 colours";
}

/* ---- opening, OK and "Marquee!" -------------------------------------------- */

/* Messages that reach the player's window above the hook, with what was true of the dialog then. */
WNDPROC UnderWatcher;
HWND OpenDialog;
std::vector<std::string> MarqueeArrivals;

LRESULT CALLBACK WatchForMarquee(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND && wParam == ID_MARQUEE)
        MarqueeArrivals.push_back(std::string(IsWindowEnabled(window) ? "player enabled" : "player disabled") +
                                  (IsWindow(OpenDialog) ? ", dialog alive" : ", dialog gone") +
                                  (IsWindowVisible(OpenDialog) ? " and shown" : " and hidden"));
    return CallWindowProcA(UnderWatcher, window, message, wParam, lParam);
}

/*
 * Every check box, and every edit, shows Settings at opening; the user
 * toggles every box, and the closing button takes them all over.  Each
 * switch is tried both ways; the pattern with the launch switch on opens
 * the dialog in init.  OK writes the master playlist at once, and nothing
 * else: without paths, nothing.
 */
void ConfigDialog::ShowSettingsAndClose(bool withPaths)
{
    const struct {
        unsigned Pattern; /* bit i: the i-th check box is on in plugin.ini */
        int CloseWith;
        std::vector<std::string> Marquee;
    } cases[] = {
        {0x5A53, IDOK, {}},
        {0xA5AC, IDC_MARQUEE, {"player enabled, dialog alive and hidden"}},
    };
    const std::regex date("[A-Z][a-z][a-z] [ 1-3][0-9] 20[0-9][0-9]"), time("[0-2][0-9]:[0-5][0-9]:[0-6][0-9]");
    auto pathOf = [&](const char *key) { return withPaths ? Folder() + key + ".txt" : std::string(); };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.CloseWith);
        std::string ini;
        for (size_t i = 0; i < 16; i++)
            ini += std::string(CheckBoxes[i].Key) + "=" + ((c.Pattern >> i & 1) ? "1" : "0") + "\r\n";
        for (const auto &edit : PathEdits)
            ini += std::string(edit.Key) + "=" + pathOf(edit.Key) + "\r\n";
        rig::WriteFile(Path("SignatureFileName.txt"), "");
        WriteSettings(ini);
        int opened = 0;
        OnConfiguration([&](HWND dialog, int) {
            opened++;
            OpenDialog = dialog;
            EXPECT_EQ(PlayerWindow(), GetWindow(dialog, GW_OWNER));
            EXPECT_FALSE(IsWindowEnabled(PlayerWindow())) << "modal";
            /*
             * Another test program may have taken the foreground since the
             * dialog opened; activation gives back the focus that the
             * dialog's opening set.
             */
            SetForegroundWindow(dialog);
            EXPECT_EQ(GetDlgItem(dialog, IDOK), GetFocus()) << "the first tab stop has the focus";
            EXPECT_TRUE(std::regex_match(ItemText(dialog, IDC_CONFIG_BUILD_DATE), date));
            EXPECT_TRUE(std::regex_match(ItemText(dialog, IDC_CONFIG_BUILD_TIME), time));
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_FAVORITES_BUTTON)));
            for (size_t i = 0; i < 16; i++) {
                EXPECT_EQ(c.Pattern >> i & 1, IsDlgButtonChecked(dialog, CheckBoxes[i].Control)) << CheckBoxes[i].Key;
                Click(dialog, CheckBoxes[i].Control);
            }
            for (const auto &edit : PathEdits) {
                EXPECT_EQ(pathOf(edit.Key), ItemText(dialog, edit.Edit));
                SendDlgItemMessageA(dialog, edit.Edit, WM_CHAR, 'x', 1);
                EXPECT_EQ(pathOf(edit.Key), ItemText(dialog, edit.Edit)) << "read-only";
            }
            rig::WriteFile(PluginsFolder() + "plugin.ini", "");
            Click(dialog, c.CloseWith);
        });
        ASSERT_EQ(0, StartPlugin());
        UnderWatcher = (WNDPROC)SetWindowLongPtrA(PlayerWindow(), GWLP_WNDPROC, (LONG_PTR)WatchForMarquee);
        if (!opened)
            Command(ID_CONFIGURE);
        EXPECT_EQ(1, opened);
        EXPECT_EQ(c.Marquee, MarqueeArrivals);
        EXPECT_EQ(withPaths ? "[Vellacord_Tovk]\r\nM3UFileName=" + pathOf("M3UFileName") + "\r\n" : "",
                  rig::ReadFile(PluginsFolder() + "plugin.ini"))
            << "OK writes the master playlist at once, and nothing else";
        SetWindowLongPtrA(PlayerWindow(), GWLP_WNDPROC, (LONG_PTR)UnderWatcher);
        StopPlugin();
        for (size_t i = 0; i < 16; i++)
            EXPECT_EQ((c.Pattern >> i & 1) ? "0" : "1", Saved(CheckBoxes[i].Key)) << CheckBoxes[i].Key;
        MarqueeArrivals.clear();
        rig::Reset();
    }
}

TEST_F(ConfigDialog, ShowsSettingsAndClosingTakesOverEveryCheckBox) { ShowSettingsAndClose(false); }

/* "Load Pelmix" shows bitmap 111, which can only be made where a device context can be. */
TEST_F(ConfigDialog, LoadPelmixButtonShowsItsBitmap)
{
    SKIP_WITHOUT_DRAWING();
    WriteSettings(QuietStart);
    ASSERT_EQ(0, StartPlugin());
    Configure([](HWND dialog, int) {
        EXPECT_NE(0, SendDlgItemMessageA(dialog, IDC_LOAD_PELMIX, BM_GETIMAGE, IMAGE_BITMAP, 0));
        Press(dialog, IDOK);
    });
}

TEST_F(ConfigDialog, ShowsThePathsReadOnlyAndOkWritesTheMasterPlaylistAtOnce)
{
    SKIP_WITHOUT_TEXT_MEASURING();
    ShowSettingsAndClose(true);
}

/*
 * Escape, Cancel and Alt+F4 reach the dialog and leave it open; Enter is
 * OK, which writes nothing at once without a master playlist.  The keys go
 * to the OK button rather than to GetFocus(): another test program may take
 * the foreground meanwhile, and a key posted to no window is lost.
 */
TEST_F(ConfigDialog, OnlyOkOrEnterCloseIt)
{
    WriteSettings(QuietStart);
    ASSERT_EQ(0, StartPlugin());
    const std::string before = rig::ReadFile(PluginsFolder() + "plugin.ini");
    std::vector<bool> shown;
    Configure([&](HWND dialog, int call) {
        HWND focus = GetDlgItem(dialog, IDOK);
        switch (call) {
        case 0:
            Click(dialog, IDC_ZELT_MODE);
            SetFocus(focus);
            PostMessageA(focus, WM_KEYDOWN, VK_ESCAPE, 1);
            PostMessageA(focus, WM_KEYUP, VK_ESCAPE, 0xC0000001);
            Press(dialog, IDCANCEL);
            PostMessageA(focus, WM_SYSKEYDOWN, VK_F4, 0x20000001);
            PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
            PostMessageA(dialog, WM_CLOSE, 0, 0);
            break;
        case 5:
            shown.push_back(IsWindowVisible(dialog));
            PostMessageA(focus, WM_KEYDOWN, VK_RETURN, 1);
            break;
        }
    });
    EXPECT_EQ(std::vector<bool>{true}, shown) << "still open after Escape, Cancel, Alt+F4 and Close";
    EXPECT_EQ(before, rig::ReadFile(PluginsFolder() + "plugin.ini"));
    StopPlugin();
    EXPECT_EQ("1", Saved("Zelt_Mode")) << "Enter took over the check boxes";
}

/* ---- Save-as pickers --------------------------------------------------------- */

/* Each row: a file row's button, what its picker is asked for, and what the user chooses there. */
const struct SaveRow {
    int Button, Edit;
    const char *Key;
    std::string Filter;
    const char *Extension;
    int Type; /* the file type chosen in the picker; -1: the one it opens with */
    const char *Typed, *Saved;
} SaveRows[] = {
    {IDC_SIGNATURE_BUTTON, IDC_SIGNATURE_EDIT, "SignatureFileName",
     Bytes("Text Files\0*.txt\0Signature Files\0*.sig\0\0"), "txt", -1, "mail", "mail.txt"},
    {IDC_LOG_BUTTON, IDC_LOG_EDIT, "LogFileName", Bytes("Text Files\0*.txt\0Log Files\0*.log\0\0"), "log", 1, "played",
     "played.log"},
    /* The type's own extension is appended; the default extension only turns that on. */
    {IDC_LOG_BUTTON, IDC_LOG_EDIT, "LogFileName", Bytes("Text Files\0*.txt\0Log Files\0*.log\0\0"), "log", -1, "played",
     "played.txt"},
    {IDC_M3U_BUTTON, IDC_M3U_EDIT, "M3UFileName", Bytes("Play List Files\0*.m3u\0\0"), "m3u", -1, "master",
     "master.m3u"},
};

/* The request as the plug-in handed it to the picker: it opens on the field (file). */
void ExpectSaveRequest(const SaveRow &row, HWND owner, const std::string &file)
{
    const rig::SaveRequest &request = rig::SaveRequests().back();
    EXPECT_EQ((DWORD)OPENFILENAME_SIZE_VERSION_400A, request.Record.lStructSize);
    EXPECT_EQ(owner, request.Record.hwndOwner);
    EXPECT_EQ(row.Filter, request.Filter);
    EXPECT_EQ(0u, request.Record.nFilterIndex);
    EXPECT_EQ((DWORD)OFN_PATHMUSTEXIST, request.Record.Flags);
    EXPECT_EQ(row.Extension, request.DefaultExtension);
    EXPECT_EQ(file, request.FileAtEntry) << "opens on the field";
    EXPECT_EQ((DWORD)MAX_PATH, request.Record.nMaxFile);
    EXPECT_TRUE(!request.Record.lpstrTitle && !request.Record.lpstrInitialDir && !request.Record.lpfnHook &&
                !request.Record.lpTemplateName && !request.Record.lpstrCustomFilter);
}

/* What each button hands to the picker, which the user cancels (or which cannot open): the field stays empty. */
TEST_F(ConfigDialog, SaveAsRequestOfEachFileRow)
{
    WriteSettings(QuietStart);
    ASSERT_EQ(0, StartPlugin());
    rig::OnDialog(SaveAsCaption, [](HWND picker, int) { Press(picker, IDCANCEL); });
    Configure([&](HWND dialog, int) {
        for (const SaveRow &row : SaveRows) {
            SCOPED_TRACE(row.Saved);
            size_t before = rig::SaveRequests().size();
            Click(dialog, row.Button);
            EXPECT_EQ(before + 1, rig::SaveRequests().size());
            if (rig::SaveRequests().size() > before) {
                ExpectSaveRequest(row, dialog, "");
                EXPECT_FALSE(rig::SaveRequests().back().Result);
            }
            EXPECT_EQ("", ItemText(dialog, row.Edit));
        }
        Press(dialog, IDOK);
    });
}

/* The name confirmed in the picker replaces the field; a cancel keeps it. */
TEST_F(ConfigDialog, SaveAsPickers)
{
    SKIP_WITHOUT_TEXT_MEASURING();
    WriteSettings(QuietStart + std::string("LogFileName=") + Path("old.log") + "\r\n");
    ASSERT_EQ(0, StartPlugin());
    for (const SaveRow &row : SaveRows) {
        SCOPED_TRACE(row.Typed + std::string(" ") + row.Saved);
        const std::string saved = Folder() + row.Saved;
        HWND owner = NULL;
        std::string before;
        rig::OnDialog(SaveAsCaption, [&](HWND picker, int) {
            ExpectSaveRequest(row, owner, before);
            if (rig::SaveRequests().size() % 2 == 0)
                return Press(picker, IDCANCEL);
            if (row.Type >= 0)
                ChooseInList(picker, FILE_TYPE_BOX, row.Type);
            SaveAs(picker, Folder() + row.Typed);
        });
        Configure([&](HWND dialog, int) {
            owner = dialog;
            before = ItemText(dialog, row.Edit);
            Click(dialog, row.Button);
            EXPECT_EQ(saved, ItemText(dialog, row.Edit)) << "confirmed";
            before = saved;
            Click(dialog, row.Button);
            EXPECT_EQ(saved, ItemText(dialog, row.Edit)) << "cancelled";
            Press(dialog, IDOK);
        });
        EXPECT_TRUE(rig::SaveRequests().size() % 2 == 0 && rig::SaveRequests().back().Result == FALSE);
        StopPlugin();
        EXPECT_EQ(saved, Saved(row.Key));
        ASSERT_EQ(0, StartPlugin());
    }
}

/* ---- the folder picker ------------------------------------------------------- */

/* Wine's picker selects a folder reliably only when every level above it was listed once before. */
void ListEveryLevel(const std::string &folder)
{
    for (size_t slash = folder.find('\\'); slash != std::string::npos; slash = folder.find('\\', slash + 1)) {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((folder.substr(0, slash + 1) + "*").c_str(), &found);
        while (search != INVALID_HANDLE_VALUE && FindNextFileA(search, &found))
            ;
        if (search != INVALID_HANDLE_VALUE)
            FindClose(search);
    }
}

enum FolderAnswer { CANCEL, TAKE_PRESELECTED, TAKE_COMPUTER };

void AnswerFolderPicker(HWND picker, FolderAnswer answer)
{
    if (answer == TAKE_COMPUTER) {
        LPITEMIDLIST computer = NULL;
        SHGetSpecialFolderLocation(NULL, CSIDL_DRIVES, &computer);
        SendMessageA(picker, BFFM_SETSELECTIONA, FALSE, (LPARAM)computer);
        ILFree(computer);
    }
    Press(picker, answer == CANCEL ? IDCANCEL : IDOK);
}

/*
 * Each step opens a folder picker: the folder it is asked to preselect,
 * the user's answer, and the edits afterwards.  The snapshot folder starts
 * empty, the favourites folder set.
 */
TEST_F(ConfigDialog, FolderPickerPreselectsAndKeepsTheFieldOnCancelOrVirtualFolder)
{
    SKIP_WITHOUT_TEXT_MEASURING(); /* the folders are shown in edits */
    SKIP_WITHOUT_DRAWING();        /* the picker shows the shell's image list */
    /* On the prefix's own drive C:, which Wine's picker walks much faster than the build tree's Z:. */
    const std::string top = "C:\\users\\Public\\Kestrune folder picker", favourites = top + "\\Favourite Songs";
    rig::RemoveTree(top);
    rig::MakeFolders(favourites);
    ListEveryLevel(favourites + "\\");
    const struct {
        int Button;
        const char *Title;
        std::string Preselected;
        FolderAnswer Answer;
        std::string Snapshot, Favourites;
    } steps[] = {
        {IDC_SNAPSHOT_BUTTON, "Select snapshot directory.", "", CANCEL, "", favourites},
        {IDC_FAVORITES_BUTTON, "Select favorites directory.", favourites, TAKE_PRESELECTED, "", favourites},
        {IDC_SNAPSHOT_BUTTON, "Select snapshot directory.", favourites, TAKE_PRESELECTED, favourites, favourites},
        {IDC_SNAPSHOT_BUTTON, "Select snapshot directory.", favourites, TAKE_COMPUTER, favourites, favourites},
    };
    WriteSettings(QuietStart + std::string("FavoritesDirectory=") + favourites + "\r\n");
    ASSERT_EQ(0, StartPlugin());
    const auto *step = &steps[0];
    rig::OnDialog(FolderCaption, [&](HWND picker, int call) {
        if (call == 1) /* the picker has preselected by now */
            AnswerFolderPicker(picker, step->Answer);
    });
    Configure([&](HWND dialog, int) {
        for (const auto &s : steps) {
            step = &s;
            SCOPED_TRACE(&s - steps);
            SendMessageA(dialog, WM_COMMAND, s.Button, 0); /* the favourites button is disabled */
            const rig::FolderRequest &request = rig::FolderRequests().back();
            EXPECT_EQ(s.Title, request.Title);
            EXPECT_EQ(dialog, request.Record.hwndOwner);
            EXPECT_TRUE(!request.Record.pidlRoot && !request.Record.pszDisplayName && !request.Record.ulFlags &&
                        !request.Record.lParam && request.Record.lpfn);
            EXPECT_EQ(std::vector<std::string>{s.Preselected}, request.Preselections);
            EXPECT_EQ(s.Answer != CANCEL, request.Picked);
            EXPECT_EQ(s.Snapshot, ItemText(dialog, IDC_SNAPSHOT_EDIT));
            EXPECT_EQ(s.Favourites, ItemText(dialog, IDC_FAVORITES_EDIT));
        }
        Press(dialog, IDOK);
    });
    EXPECT_EQ(4u, rig::FolderRequests().size());
    StopPlugin();
    EXPECT_EQ(favourites, Saved("SnapShotDirectory"));
    rig::RemoveTree(top);
}

/* A favourites folder longer than a path: the picker is asked for its first 259 characters. */
TEST_F(ConfigDialog, LongFavouritesFolderIsCutForThePicker)
{
    SKIP_WITHOUT_TEXT_MEASURING(); /* the folder is shown in an edit */
    SKIP_WITHOUT_DRAWING();        /* the picker shows the shell's image list */
    const std::string favourites = "C:\\" + std::string(1000, 'f');
    WriteSettings(QuietStart + std::string("FavoritesDirectory=") + favourites + "\r\n");
    ASSERT_EQ(0, StartPlugin());
    rig::OnDialog(FolderCaption, [](HWND picker, int) { Press(picker, IDCANCEL); });
    Configure([&](HWND dialog, int) {
        SendMessageA(dialog, WM_COMMAND, IDC_FAVORITES_BUTTON, 0);
        EXPECT_EQ(favourites, ItemText(dialog, IDC_FAVORITES_EDIT));
        Press(dialog, IDOK);
    });
    ASSERT_EQ(1u, rig::FolderRequests().size());
    EXPECT_EQ(std::vector<std::string>{favourites.substr(0, 259)}, rig::FolderRequests()[0].Preselections);
}

/* ---- dropped files ------------------------------------------------------------- */

/* A drop as the shell delivers it: a DROPFILES block with the names, each ending in a zero, and a final zero. */
HGLOBAL MakeDrop(const std::vector<std::string> &files, POINT point, bool outsideClientArea)
{
    std::string names;
    for (const std::string &file : files)
        names += file + '\0';
    names += '\0';
    HGLOBAL drop = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + names.size());
    DROPFILES *header = (DROPFILES *)GlobalLock(drop);
    header->pFiles = sizeof(DROPFILES);
    header->pt = point;
    header->fNC = outsideClientArea;
    memcpy(header + 1, names.data(), names.size());
    GlobalUnlock(drop);
    return drop;
}

/* Where each drop lands, with how many files, and the edit that takes its first file (0: none changes). */
const struct Drop {
    int Target;
    int Files;
    bool Outside;
    int ChangedEdit;
} Drops[] = {
    {IDC_LOG_BUTTON, 3, false, IDC_LOG_EDIT},
    {IDC_SIGNATURE_EDIT, 1, false, IDC_SIGNATURE_EDIT},
    {IDC_M3U_BUTTON, 2, false, IDC_M3U_EDIT},
    {IDC_SNAPSHOT_BUTTON, 1, false, 0},
    {IDC_FAVORITES_EDIT, 1, false, 0},
    {IDC_SNAPSHOT_EDIT, 1, false, 0},
    {IDC_LOG_BUTTON, 1, true, 0},
    {IDC_SIGNATURE_BUTTON, 0, false, 0},
};

/* Makes the drops (with those that change an edit, or without), each checked on every edit, then OK. */
void ConfigDialog::DropFiles(bool changingEdits)
{
    Configure([&](HWND dialog, int) {
        for (const Drop &d : Drops) {
            if (d.ChangedEdit && !changingEdits)
                continue;
            SCOPED_TRACE(&d - Drops);
            RECT area;
            GetWindowRect(GetDlgItem(dialog, d.Target), &area);
            POINT point = {(area.left + area.right) / 2, (area.top + area.bottom) / 2};
            ScreenToClient(dialog, &point);
            std::vector<std::string> files;
            for (int f = 0; f < d.Files; f++)
                files.push_back(Folder() + "dropped " + std::to_string(&d - Drops) + "-" + std::to_string(f) + ".txt");
            std::vector<std::string> before;
            for (const auto &edit : PathEdits)
                before.push_back(ItemText(dialog, edit.Edit));
            HGLOBAL drop = MakeDrop(files, point, d.Outside);
            SendMessageA(dialog, WM_DROPFILES, (WPARAM)drop, 0);
            EXPECT_EQ((UINT)GMEM_INVALID_HANDLE, GlobalFlags(drop)) << "the drop is finished";
            for (size_t e = 0; e < 5; e++)
                EXPECT_EQ(PathEdits[e].Edit == d.ChangedEdit ? files[0] : before[e],
                          ItemText(dialog, PathEdits[e].Edit))
                    << PathEdits[e].Key;
        }
        Press(dialog, IDOK);
    });
}

/* Drops on other controls, outside the client area, or of no file change nothing, and are finished. */
TEST_F(ConfigDialog, DropsAwayFromTheFileRowsChangeNothing)
{
    WriteSettings(QuietStart);
    ASSERT_EQ(0, StartPlugin());
    DropFiles(false);
    StopPlugin();
    for (const auto &edit : PathEdits)
        EXPECT_EQ("<none>", Saved(edit.Key)) << edit.Key;
}

TEST_F(ConfigDialog, DroppedFilesSetTheFileRowsOnly)
{
    SKIP_WITHOUT_TEXT_MEASURING();
    WriteSettings(QuietStart + std::string("LogFileName=C:\\old.log\r\nSnapShotDirectory=C:\\Snaps\r\n"));
    ASSERT_EQ(0, StartPlugin());
    DropFiles(true);
    StopPlugin();
    EXPECT_EQ(Folder() + "dropped 0-0.txt", Saved("LogFileName"));
    EXPECT_EQ(Folder() + "dropped 1-0.txt", Saved("SignatureFileName"));
    EXPECT_EQ(Folder() + "dropped 2-0.txt", Saved("M3UFileName"));
    EXPECT_EQ("C:\\Snaps", Saved("SnapShotDirectory"));
}

/* ---- at init ------------------------------------------------------------------- */

/* With the launch switch on, init runs the dialog and returns after it; the poll timer already ticks in it. */
TEST_F(ConfigDialog, AtInitOnlyWithTheLaunchSwitch)
{
    for (const char *launch : {"1", "0"}) {
        SCOPED_TRACE(launch);
        WriteSettings("UseNowPlaying=0\r\nAlwaysConfigureOnLaunch=" + std::string(launch) + "\r\n");
        SetPlaylist({"C:\\Music\\one.mp3"});
        bool started = false;
        int opened = 0;
        OnConfiguration([&](HWND dialog, int) {
            opened++;
            EXPECT_FALSE(started);
            ASSERT_EQ(1u, rig::Timers().size());
            EXPECT_FALSE(rig::Timers()[0].Killed);
            rig::Tick();
            EXPECT_FALSE(Player().Requests.empty()) << "the tick asked the player";
            Press(dialog, IDOK);
        });
        EXPECT_EQ(0, StartPlugin());
        started = true;
        EXPECT_EQ(launch[0] == '1' ? 1 : 0, opened);
        StopPlugin();
        rig::Reset();
        Player().Requests.clear();
    }
}

} // namespace
