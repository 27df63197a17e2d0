/*
 * The Now Playing and Control Panel dialogs with the real DLL in the
 * player: the three dialog templates as the DLL holds them, the layout the
 * setting chooses, the fields after a track change, the fly-out's hiding
 * and Switch View.
 */
#include "tests/rig/fixture.h"

#include <commctrl.h>

#include <algorithm>
#include <stdio.h>
#include <string.h>

namespace
{

/* ---- the templates, read from the DLL ---- */

struct Kind {
    const char *Class;
    DWORD Style;
};
const DWORD Child = WS_CHILD | WS_VISIBLE;
const Kind B = {"button", Child | WS_TABSTOP | BS_PUSHBUTTON}, D = {"button", B.Style | WS_DISABLED},
           G = {"button", Child | BS_GROUPBOX}, E = {"edit", Child | WS_BORDER | ES_AUTOHSCROLL | ES_READONLY},
           L = {"static", Child | WS_GROUP | SS_LEFT}, R = {"static", Child | WS_GROUP | SS_RIGHT},
           I = {"static", Child | SS_ICON}, OkButton = {"button", Child | WS_TABSTOP | BS_DEFPUSHBUTTON},
           Location = {"edit", Child | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL | ES_NUMBER},
           UpDown = {"msctls_updown32", Child | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_AUTOBUDDY},
           Check = {"button", Child | WS_TABSTOP | BS_AUTOCHECKBOX};

struct Control {
    int Id; /* -1: none */
    Kind Type;
    std::string Text; /* "#103": icon resource 103 */
};

struct Template {
    int Id;
    DWORD Style;
    std::string Caption;
    std::vector<Control> Controls;
};

// clang-format off
const Template Templates[] = {
    {105, 0x90C000C0, "Now Playing",
     {{50002, B, "Play/Pause"}, {50013, B, "Windowshade"}, {50011, B, "Configure"}, {50012, B, "Add current track"},
      {50007, B, "Copy Title"}, {50008, B, "Copy File Name"}, {50006, B, "Stop after current track"},
      {-1, G, "Control"}, {-1, G, "User Play List Functions"}, {1025, D, "Clear"}, {50014, D, "Add all tracks"},
      {1026, L, ""}, {1027, L, ""}, {50009, B, "Snap Shot"}, {50017, B, "Replace Playlist"}, {-1, I, "#103"},
      {-1, G, ""}, {1080, E, ""}, {-1, L, "File Name"}, {-1, R, "Title"}, {-1, G, "Tag"}, {1081, E, ""},
      {-1, R, "Artist"}, {1082, E, ""}, {-1, L, "Album"}, {1083, E, ""}, {-1, R, "File Size"}, {1090, E, ""},
      {-1, R, "Playlist Entry"}, {1091, E, ""}, {1085, E, ""}, {-1, R, "Extended Information"},
      {-1, L, "Comment"}, {1086, E, ""}, {-1, R, "Play Length"}, {1093, E, ""}, {1030, B, "Switch View"},
      {50018, B, "Copy to favorites"}}},
    {106, 0x90C000C0, "Control Panel",
     {{50002, B, "Play/Pause"}, {50013, B, "Windowshade"}, {50011, B, "Configure"}, {50007, B, "Copy Title"},
      {50008, B, "Copy File Name"}, {50006, B, "Stop after current track"}, {-1, G, "General"},
      {50009, B, "Snap Shot"}, {50012, B, "Add current track"}, {-1, G, "User Play List Functions"},
      {1025, D, "Clear"}, {50014, D, "Add all tracks"}, {1030, B, "Switch View"}, {50017, B, "Replace Playlist"},
      {-1, I, "#103"}, {1026, L, ""}, {1027, L, ""}, {-1, G, ""}, {1031, D, "Cue Sheet"},
      {50018, B, "Copy to favorites"}}},
    {107, 0x80C000C0, "Cue Point Tweaker",
     {{1, OkButton, "OK"}, {-1, I, "#103"}, {1026, L, ""}, {1027, L, ""}, {-1, G, ""},
      {-1, R, "Location (MM:SS:FF)"}, {1062, Location, ""}, {1063, UpDown, "Spin2"}, {3, B, "Seek"},
      {4, B, "Current"}, {1034, Check, "Auto Seek"}}},
};
// clang-format on

/* Reads a name-or-ordinal field of a dialog template; ordinals come back as "#<n>". */
std::string ReadNameOrOrdinal(const WORD *&at)
{
    if (*at == 0xFFFF) {
        at += 2;
        return "#" + std::to_string(at[-1]);
    }
    std::string text;
    while (*at)
        text += (char)*at++;
    at++;
    return text;
}

/* The predefined classes are stored as ordinals, the others by name, in any case. */
std::string ClassName(std::string name)
{
    const char *predefined[] = {"button", "edit", "static"};
    if (name[0] == '#')
        return predefined[std::stoi(name.substr(1)) - 0x80];
    for (char &c : name)
        c = (char)tolower((unsigned char)c);
    return name;
}

class DialogTemplates : public PluginTest
{
};

TEST_F(DialogTemplates, ReadFromTheDll)
{
    WriteSettings("AlwaysConfigureOnLaunch=0\r\n");
    ASSERT_EQ(0, StartPlugin());
    for (const Template &expected : Templates) {
        SCOPED_TRACE(expected.Id);
        HRSRC found = FindResourceA(PlayerPluginModule(), MAKEINTRESOURCEA(expected.Id), (LPCSTR)RT_DIALOG);
        ASSERT_NE((HRSRC)NULL, found);
        const DLGTEMPLATE *dialog = (const DLGTEMPLATE *)LockResource(LoadResource(PlayerPluginModule(), found));
        EXPECT_EQ(expected.Style, dialog->style);
        const WORD *at = (const WORD *)(dialog + 1);
        EXPECT_EQ("", ReadNameOrOrdinal(at)) << "menu";
        EXPECT_EQ("", ReadNameOrOrdinal(at)) << "class";
        EXPECT_EQ(expected.Caption, ReadNameOrOrdinal(at));
        EXPECT_EQ(8, *at++) << "points";
        EXPECT_EQ("MS Sans Serif", ReadNameOrOrdinal(at));
        ASSERT_EQ(expected.Controls.size(), dialog->cdit);
        for (const Control &control : expected.Controls) {
            const DLGITEMTEMPLATE *item = (const DLGITEMTEMPLATE *)(((ULONG_PTR)at + 3) & ~(ULONG_PTR)3);
            at = (const WORD *)(item + 1);
            std::string itemClass = ClassName(ReadNameOrOrdinal(at));
            std::string text = ReadNameOrOrdinal(at);
            at += 1 + *at / sizeof(WORD);
            SCOPED_TRACE(control.Text);
            EXPECT_EQ((WORD)control.Id, item->id);
            EXPECT_EQ(control.Type.Class, itemClass);
            EXPECT_EQ(control.Text, text);
            EXPECT_EQ(control.Type.Style, item->style) << std::hex << item->style;
        }
    }
}

/* ---- the dialog at work ---- */

const char NowPlayingCaption[] = "Now Playing", ControlPanelCaption[] = "Control Panel";

/* The player's owned dialogs with this caption, shown or hidden. */
std::vector<HWND> Dialogs(const char *caption)
{
    std::vector<HWND> found;
    for (HWND window = NULL; (window = FindWindowExA(NULL, window, "#32770", caption));)
        if (GetWindow(window, GW_OWNER) == PlayerWindow())
            found.push_back(window);
    return found;
}

std::string ItemText(HWND dialog, int id)
{
    char text[300] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

/* The first shown window of this thread from the top of the Z order. */
HWND TopOfThread()
{
    for (HWND window = GetTopWindow(NULL); window; window = GetWindow(window, GW_HWNDNEXT))
        if (GetWindowThreadProcessId(window, NULL) == GetCurrentThreadId() && IsWindowVisible(window))
            return window;
    return NULL;
}

/* Records, for each command that reaches the player's window, whether the dialog was shown then. */
struct SeenCommand {
    WPARAM WParam;
    LPARAM LParam;
    bool DialogShown;
};
std::vector<SeenCommand> SeenCommands;
HWND Watched;
WNDPROC BelowWatcher;

LRESULT CALLBACK WatchCommands(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND)
        SeenCommands.push_back({wParam, lParam, IsWindowVisible(Watched) != 0});
    return CallWindowProcA(BelowWatcher, window, message, wParam, lParam);
}

class NowPlayingTest : public PluginTest
{
  protected:
    void Start(const std::string &settings)
    {
        WriteSettings("AlwaysConfigureOnLaunch=0\r\n" + settings);
        ASSERT_EQ(0, StartPlugin());
    }
    /* The one dialog with this caption, which must be shown. */
    HWND Shown(const char *caption)
    {
        std::vector<HWND> found = Dialogs(caption);
        EXPECT_EQ(1u, found.size()) << caption;
        HWND dialog = found.empty() ? NULL : found[0];
        EXPECT_TRUE(IsWindowVisible(dialog)) << caption;
        return dialog;
    }
    void Click(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
};

/*
 * The tray's left click opens the layout the setting chooses; a track change
 * brings the hidden dialog back only while UseNowPlaying is on; Switch View
 * replaces the dialog by the other layout, and quit saves the flipped switch.
 */
TEST_F(NowPlayingTest, LayoutTrackChangeSwitchViewAndTheSavedSwitch)
{
    struct Case {
        const char *Settings, *First, *Second, *Saved;
        bool ShownByChange;
    } cases[] = {
        {"", ControlPanelCaption, NowPlayingCaption, "UseNowPlaying=0\r\n", true},
        {"UseNowPlaying=0\r\n", NowPlayingCaption, ControlPanelCaption, "UseNowPlaying=1\r\n", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.First);
        Start(c.Settings);
        EXPECT_EQ(1, SendMessageA(PlayerWindow(), WM_TRAY_NOTIFY, TRAY_ICON_ID, WM_LBUTTONDOWN));
        HWND first = Shown(c.First);
        SetForegroundWindow(PlayerWindow());
        SetPlaylist({Path("a.mp3")});
        rig::Tick();
        EXPECT_EQ(c.ShownByChange, IsWindowVisible(first) != 0);
        Command(ID_NOW_PLAYING);
        Click(first, IDC_SWITCH_VIEW);
        EXPECT_FALSE(IsWindow(first));
        Shown(c.Second);
        StopPlugin();
        EXPECT_NE(std::string::npos, rig::ReadFile(PluginsFolder() + "plugin.ini").find(c.Saved));
    }
}

TEST_F(NowPlayingTest, FieldsAfterEachChangeTagTextsOnlyBehindTag)
{
    std::vector<std::string> files;
    for (int i = 1; i <= 12; i++)
        files.push_back(Path("track" + std::to_string(i) + ".mp3"));
    rig::WriteFile(files[2], rig::Mp3WithTag("Song", "Band", "Album", "Comment"));
    rig::WriteFile(files[3], std::string(400, 'x')); /* no tag: its last 128 bytes are no record */
    Start("UseNowPlaying=0\r\n");
    SetPlaylist(files);
    struct Case {
        int Position, Length;
        const char *LengthText;
    } cases[] = {{2, 245, "4:05"}, {3, 0, "0:00"}, {0, -1, ""}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Position);
        Player().Position = c.Position;
        Player().LengthSeconds = c.Length;
        rig::Tick();
        Command(ID_NOW_PLAYING);
        HWND dialog = Shown(NowPlayingCaption);
        EXPECT_EQ(files[c.Position], ItemText(dialog, IDC_NP_FILE_NAME));
        EXPECT_EQ("Title of " + files[c.Position], ItemText(dialog, IDC_NP_TITLE));
        EXPECT_EQ(c.LengthText, ItemText(dialog, IDC_NP_PLAY_LENGTH));
        EXPECT_EQ(std::to_string(c.Position + 1) + "/12", ItemText(dialog, IDC_NP_PLAYLIST_ENTRY));
        EXPECT_EQ("Song", ItemText(dialog, IDC_NP_TAG_TITLE));
        EXPECT_EQ("Band", ItemText(dialog, IDC_NP_TAG_ARTIST));
        EXPECT_EQ("Album", ItemText(dialog, IDC_NP_TAG_ALBUM));
        EXPECT_EQ("Comment", ItemText(dialog, IDC_NP_TAG_COMMENT));
        EXPECT_EQ("", ItemText(dialog, IDC_NP_FILE_SIZE));
        char month[4];
        unsigned day, year, hour, minute, second;
        EXPECT_EQ(3, sscanf(ItemText(dialog, IDC_BUILD_DATE).c_str(), "%3s %2u %4u", month, &day, &year));
        EXPECT_EQ(3, sscanf(ItemText(dialog, IDC_BUILD_TIME).c_str(), "%2u:%2u:%2u", &hour, &minute, &second));
    }
}

TEST_F(NowPlayingTest, ClickHidesTheDialogBeforeTheCommandReachesThePlayer)
{
    for (const char *caption : {NowPlayingCaption, ControlPanelCaption}) {
        SCOPED_TRACE(caption);
        Start(caption == NowPlayingCaption ? "UseNowPlaying=0\r\n" : "");
        Command(ID_NOW_PLAYING);
        Watched = Shown(caption);
        BelowWatcher = (WNDPROC)SetWindowLongPtrA(PlayerWindow(), GWLP_WNDPROC, (LONG_PTR)WatchCommands);
        SeenCommands.clear();
        Player().Received.clear();
        Click(Watched, ID_PAUSE_RESUME);
        ASSERT_LE(1u, SeenCommands.size());
        EXPECT_EQ((WPARAM)ID_PAUSE_RESUME, SeenCommands[0].WParam);
        EXPECT_EQ((LPARAM)GetDlgItem(Watched, ID_PAUSE_RESUME), SeenCommands[0].LParam);
        EXPECT_FALSE(SeenCommands[0].DialogShown);
        ASSERT_EQ(1u, Player().Received.size());
        EXPECT_EQ((WPARAM)PLAYER_PAUSE, Player().Received[0].WParam) << "the hook ran the command";
        EXPECT_TRUE(IsWindow(Watched));
        SetWindowLongPtrA(PlayerWindow(), GWLP_WNDPROC, (LONG_PTR)BelowWatcher);
        StopPlugin();
    }
}

TEST_F(NowPlayingTest, HiddenWhenItLosesActivationOrFocusAndShownRefreshedOnTop)
{
    Start("UseNowPlaying=0\r\n");
    SetPlaylist({Path("a.mp3"), Path("b.mp3")});
    rig::Tick();
    Command(ID_NOW_PLAYING);
    HWND dialog = Shown(NowPlayingCaption);
    RECT before, after;
    GetWindowRect(dialog, &before);
    SetForegroundWindow(PlayerWindow());
    EXPECT_FALSE(IsWindowVisible(dialog)) << "hidden when another window is activated";
    Command(ID_NOW_PLAYING);
    EXPECT_TRUE(IsWindowVisible(dialog));
    SendMessageA(dialog, WM_KILLFOCUS, (WPARAM)PlayerWindow(), 0);
    EXPECT_FALSE(IsWindowVisible(dialog)) << "hidden when it loses the focus";

    Player().Position = 1;
    rig::Tick();
    SetWindowPos(PlayerWindow(), HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
    Command(ID_NOW_PLAYING);
    EXPECT_EQ(dialog, Shown(NowPlayingCaption)) << "the same dialog, never destroyed";
    EXPECT_EQ(Path("b.mp3"), ItemText(dialog, IDC_NP_FILE_NAME));
    EXPECT_EQ(dialog, GetForegroundWindow());
    EXPECT_EQ(dialog, TopOfThread());
    GetWindowRect(dialog, &after);
    EXPECT_TRUE(EqualRect(&before, &after)) << "kept its place";
}

} // namespace
