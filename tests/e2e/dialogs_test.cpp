/*
 * The Now Playing and Control Panel dialogs and the cue point tweaker with
 * the real DLL in the player: the three dialog templates as the DLL holds
 * them, the layout the setting chooses, the fields after a track change,
 * the fly-out's hiding, Switch View, the tweaker's locations, steps and
 * seeks, and that quit leaves no dialog of the DLL behind.
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

const char NowPlayingCaption[] = "Now Playing", ControlPanelCaption[] = "Control Panel",
           TweakerCaption[] = "Cue Point Tweaker";

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
 * The two layouts, the settings that choose each (the Control Panel is the
 * default), the switch's value, and whether a track change shows the
 * hidden dialog again (only while UseNowPlaying is on).
 */
struct Layout {
    const char *Name;
    const char *Caption;
    const char *Settings;
    char Switch;
    bool ShownByChange;
};
const Layout Layouts[] = {
    {"ControlPanel", ControlPanelCaption, "", '1', true},
    {"NowPlaying", NowPlayingCaption, "UseNowPlaying=0\r\n", '0', false},
};

/*
 * Each test runs with each layout.  The Now Playing layout shows the
 * track's texts in edits as it opens, so it needs a system that measures
 * text; the Control Panel has none to fill, and runs everywhere.
 */
class NowPlayingLayout : public NowPlayingTest, public ::testing::WithParamInterface<Layout>
{
  protected:
    void SetUp() override
    {
        NowPlayingTest::SetUp();
        if (GetParam().Caption == NowPlayingCaption) {
            SKIP_WITHOUT_TEXT_MEASURING();
        }
    }
};

INSTANTIATE_TEST_SUITE_P(Layouts, NowPlayingLayout, ::testing::ValuesIn(Layouts),
                         [](const ::testing::TestParamInfo<Layout> &info) { return std::string(info.param.Name); });

/* The tray's left click opens the layout the setting chooses; a track change brings the hidden dialog back or not. */
TEST_P(NowPlayingLayout, TrayOpensTheChosenLayoutAndATrackChangeShowsItOnlyWithTheSwitchOn)
{
    Start(GetParam().Settings);
    EXPECT_EQ(1, SendMessageA(PlayerWindow(), WM_TRAY_NOTIFY, TRAY_ICON_ID, WM_LBUTTONDOWN));
    HWND dialog = Shown(GetParam().Caption);
    SetForegroundWindow(PlayerWindow());
    SetPlaylist({Path("a.mp3")});
    rig::Tick();
    EXPECT_EQ(GetParam().ShownByChange, IsWindowVisible(dialog) != 0);
}

/* Switch View replaces the dialog by the other layout, and quit saves the flipped switch. */
TEST_F(NowPlayingTest, SwitchViewOpensTheOtherLayoutAndQuitSavesTheSwitch)
{
    SKIP_WITHOUT_TEXT_MEASURING(); /* one of the two is the Now Playing layout */
    for (size_t i = 0; i < 2; i++) {
        const Layout &first = Layouts[i], &second = Layouts[1 - i];
        SCOPED_TRACE(first.Caption);
        Start(first.Settings);
        Command(ID_NOW_PLAYING);
        HWND dialog = Shown(first.Caption);
        Click(dialog, IDC_SWITCH_VIEW);
        EXPECT_FALSE(IsWindow(dialog));
        Shown(second.Caption);
        StopPlugin();
        EXPECT_NE(
            std::string::npos,
            rig::ReadFile(PluginsFolder() + "plugin.ini").find(std::string("UseNowPlaying=") + second.Switch + "\r\n"))
            << "saved at quit";
    }
}

TEST_F(NowPlayingTest, FieldsAfterEachChangeTagTextsOnlyBehindTag)
{
    SKIP_WITHOUT_TEXT_MEASURING();
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

TEST_P(NowPlayingLayout, ClickHidesTheDialogBeforeTheCommandReachesThePlayer)
{
    Start(GetParam().Settings);
    Command(ID_NOW_PLAYING);
    Watched = Shown(GetParam().Caption);
    BelowWatcher = (WNDPROC)SetWindowLongPtrA(PlayerWindow(), GWLP_WNDPROC, (LONG_PTR)WatchCommands);
    SeenCommands.clear();
    Player().Received.clear();
    Click(Watched, ID_PAUSE_RESUME);
    SetWindowLongPtrA(PlayerWindow(), GWLP_WNDPROC, (LONG_PTR)BelowWatcher);
    ASSERT_LE(1u, SeenCommands.size());
    EXPECT_EQ((WPARAM)ID_PAUSE_RESUME, SeenCommands[0].WParam);
    EXPECT_EQ((LPARAM)GetDlgItem(Watched, ID_PAUSE_RESUME), SeenCommands[0].LParam);
    EXPECT_FALSE(SeenCommands[0].DialogShown);
    ASSERT_EQ(1u, Player().Received.size());
    EXPECT_EQ((WPARAM)PLAYER_PAUSE, Player().Received[0].WParam) << "the hook ran the command";
    EXPECT_TRUE(IsWindow(Watched));
}

/* The Now Playing layout also shows the new track when it comes back. */
TEST_P(NowPlayingLayout, HiddenWhenItLosesActivationOrFocusAndShownRefreshedOnTop)
{
    const char *caption = GetParam().Caption;
    Start(GetParam().Settings);
    SetPlaylist({Path("a.mp3"), Path("b.mp3")});
    rig::Tick();
    Command(ID_NOW_PLAYING);
    HWND dialog = Shown(caption);
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
    EXPECT_EQ(dialog, Shown(caption)) << "the same dialog, never destroyed";
    if (caption == NowPlayingCaption) {
        EXPECT_EQ(Path("b.mp3"), ItemText(dialog, IDC_NP_FILE_NAME));
    }
    EXPECT_EQ(dialog, GetForegroundWindow());
    EXPECT_EQ(dialog, TopOfThread());
    GetWindowRect(dialog, &after);
    EXPECT_TRUE(EqualRect(&before, &after)) << "kept its place";
}

/*
 * Quit destroys the dialog and every open tweaker: their code is unloaded
 * with the DLL, so the player's window must be able to go on without them.
 * The tweakers show their location in an edit: they open beside the Now
 * Playing layout, which needs a system that measures text too.
 */
TEST_P(NowPlayingLayout, QuitLeavesNoDialogOfTheDllBehind)
{
    const bool tweakers = GetParam().Caption == NowPlayingCaption;
    Start(GetParam().Settings);
    Command(ID_NOW_PLAYING);
    if (tweakers) {
        Command(IDC_CUE_SHEET);
        Command(IDC_CUE_SHEET);
    }
    std::vector<HWND> dialogs = Dialogs(TweakerCaption);
    ASSERT_EQ(tweakers ? 2u : 0u, dialogs.size());
    dialogs.push_back(Dialogs(GetParam().Caption).at(0));
    StopPlugin();
    for (HWND dialog : dialogs)
        EXPECT_FALSE(IsWindow(dialog));
    HWND window = PlayerWindow();
    SetForegroundWindow(window);
    for (WPARAM command : {ID_NOW_PLAYING, IDC_CUE_SHEET, IDC_SWITCH_VIEW, ID_PAUSE_RESUME})
        SendMessageA(window, WM_COMMAND, command, 0);
    SendMessageA(window, WM_TRAY_NOTIFY, TRAY_ICON_ID, WM_LBUTTONDOWN);
    PlayerPumpFor(200);
    EXPECT_TRUE(IsWindow(window));
}

/* ---- the cue point tweaker ---- */

enum Action { Current, Type, Seek, KeyUp, KeyDown, ClickUp, ClickDown, Spin, AutoSeek };

struct CueStep {
    const char *Name;
    int Tweaker; /* 0 or 1: which of the two open tweakers acts */
    Action Do;
    int Number;       /* Current: the player's position in ms; Spin: the up-down control's position */
    const char *Text; /* Type: the typed location */
    const char *Location;
    std::vector<int> Seeks; /* milliseconds sought by the step, in order */
};

/* Arrow keys reach the up-down control through its buddy, the location edit. */
void PressKey(HWND edit, WPARAM key)
{
    SendMessageA(edit, WM_KEYDOWN, key, 1);
    SendMessageA(edit, WM_KEYUP, key, 0xC0000001);
}

/* A click on the upper or the lower arrow of the up-down control. */
void ClickArrow(HWND spin, bool up)
{
    RECT area;
    GetClientRect(spin, &area);
    LPARAM at = MAKELPARAM(area.right / 2, up ? area.bottom / 4 : area.bottom * 3 / 4);
    SendMessageA(spin, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(spin, WM_LBUTTONUP, 0, at);
}

class CuePointTest : public NowPlayingTest
{
  protected:
    HWND Open()
    {
        std::vector<HWND> before = Dialogs(TweakerCaption);
        Command(IDC_CUE_SHEET);
        for (HWND dialog : Dialogs(TweakerCaption))
            if (std::find(before.begin(), before.end(), dialog) == before.end())
                return dialog;
        ADD_FAILURE() << "no new tweaker";
        return NULL;
    }
    void Run(HWND dialog, const CueStep &step)
    {
        HWND edit = GetDlgItem(dialog, IDC_CUE_LOCATION), spin = GetDlgItem(dialog, IDC_CUE_SPIN);
        Player().OutputMs = step.Do == Current ? step.Number : Player().OutputMs;
        // clang-format off
        switch (step.Do) {
        case Current: return Click(dialog, IDC_CUE_CURRENT);
        case Type: SetFocus(edit); SetWindowTextA(edit, step.Text); SetFocus(GetDlgItem(dialog, IDC_CUE_SEEK)); return;
        case Seek: return Click(dialog, IDC_CUE_SEEK);
        case KeyUp: case KeyDown: return PressKey(edit, step.Do == KeyUp ? VK_UP : VK_DOWN);
        case ClickUp: case ClickDown: return ClickArrow(spin, step.Do == ClickUp);
        case Spin: SendMessageA(dialog, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, step.Number), (LPARAM)spin); return;
        case AutoSeek: return Click(dialog, IDC_CUE_AUTO_SEEK);
        }
        // clang-format on
    }
};

TEST_F(CuePointTest, LocationsStepsAndSeeks)
{
    SKIP_WITHOUT_TEXT_MEASURING();
    /*
     * 4912 frames are 65 493 ms; the largest position, 161 061 273 frames, is
     * 2 147 483 640 ms.  A click on an arrow focuses the location edit, which
     * re-reads its own text when it loses the focus: the other tweaker's step
     * comes while this one's edit has no focus.
     */
    const CueStep steps[] = {
        {"Current at 65 432 ms", 0, Current, 65432, "", "01:05:00", {}},
        {"typed", 0, Type, 0, "01:05:37", "01:05:37", {}},
        {"Seek", 0, Seek, 0, "", "01:05:37", {65493}},
        {"parts beyond their range", 0, Type, 0, "0:90:80", "01:31:05", {}},
        {"a single colon is ignored", 0, Type, 0, "12:34", "12:34", {}},
        {"Seek uses the previous position", 0, Seek, 0, "", "12:34", {91066}},
        {"no position counts as 0", 0, Current, -1, "", "00:00:00", {}},
        {"one step down at 00:00:00 stays", 0, KeyDown, 0, "", "00:00:00", {}},
        {"Up key", 0, KeyUp, 0, "", "00:00:01", {}},
        {"up arrow", 0, ClickUp, 0, "", "00:00:02", {}},
        {"down arrow", 0, ClickDown, 0, "", "00:00:01", {}},
        {"the middle position changes nothing", 0, Spin, 16383, "", "00:00:01", {}},
        {"Auto Seek on", 0, AutoSeek, 0, "", "00:00:01", {}},
        {"the middle still seeks", 0, Spin, 16383, "", "00:00:01", {13}},
        {"Auto Seek at a key step", 0, KeyUp, 0, "", "00:00:02", {26}},
        {"a step in the other tweaker", 1, KeyUp, 0, "", "00:00:03", {}},
        {"moves what this one seeks", 0, Seek, 0, "", "00:00:02", {40}},
        {"Auto Seek at a click step", 0, ClickUp, 0, "", "00:00:04", {53, 53}},
        {"999999 minutes: the largest position", 0, Type, 0, "999999:0:0", "35791:23:48", {}},
        {"a large step up stays there", 0, Spin, 32767, "", "35791:23:48", {2147483640}},
        {"negative minutes: 0", 0, Type, 0, "-5:0:0", "00:00:00", {}},
        {"a large step down stays at 0", 0, Spin, 0, "", "00:00:00", {0}},
    };
    Start("UseNowPlaying=0\r\n");
    HWND tweakers[2] = {Open(), Open()};
    ASSERT_TRUE(tweakers[0] && tweakers[1]);
    for (const CueStep &step : steps) {
        SCOPED_TRACE(step.Name);
        size_t jumps = Player().Jumps.size(), output = rig::DebugOutput().size();
        Run(tweakers[step.Tweaker], step);
        EXPECT_EQ(step.Location, ItemText(tweakers[step.Tweaker], IDC_CUE_LOCATION));
        EXPECT_EQ(step.Seeks, std::vector<int>(Player().Jumps.begin() + jumps, Player().Jumps.end()));
        std::vector<std::string> texts, expected;
        for (size_t i = output; i < rig::DebugOutput().size(); i++)
            if (rig::DebugOutput()[i].compare(0, 8, "Seek to:") == 0)
                texts.push_back(rig::DebugOutput()[i]);
        for (int seek : step.Seeks)
            expected.push_back("Seek to: " + std::to_string(seek));
        EXPECT_EQ(expected, texts);
    }
    /* The location edit (1062) reports every notification; 0x200 is its loss of the focus. */
    for (const char *line : {"0x01000426, 0x00000200", "0x03000426, 0x00000200", "0x02000426, 0x00000200"})
        EXPECT_NE(rig::DebugOutput().end(), std::find(rig::DebugOutput().begin(), rig::DebugOutput().end(), line));
    for (HWND tweaker : tweakers) {
        Click(tweaker, IDOK);
        EXPECT_FALSE(IsWindow(tweaker)) << "OK closes";
    }
}

} // namespace
