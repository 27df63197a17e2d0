/*
 * The hook on the player's main window, with the real DLL in the stand-in
 * player: the commands it turns into player commands, what it consumes and
 * what it passes on, the real menus of the DLL, the item enabling, the tray
 * icon's callback with the real popup, the lyrics address handed to the
 * shell, and what is left on the player's window after quit and unload.
 */
#include "tests/rig/fixture.h"

#include <atomic>
#include <ctype.h>
#include <functional>
#include <string.h>
#include <thread>
#include <tuple>

namespace
{

const char QuietStart[] = "AlwaysConfigureOnLaunch=0\r\nUseNowPlaying=0\r\n";

/*
 * A subclass put on the player's window before the plug-in starts, so it
 * sits between the hook and the player's own procedure: it records every
 * message the hook passes on, and marks the result of every WM_COMMAND, so
 * a test sees that the hook returns what the procedure below it returned.
 */
const LRESULT CommandResultMark = 0x7E57;
std::vector<PlayerMessage> BelowHook;

LRESULT CALLBACK BelowHookProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    BelowHook.push_back({message, wParam, lParam});
    LRESULT result = CallWindowProcA(PlayerWindowProc, window, message, wParam, lParam);
    return message == WM_COMMAND ? result + CommandResultMark : result;
}

/* A subclass put on the window after the plug-in: it sees what is sent to the window. */
std::vector<PlayerMessage> AboveHook;
WNDPROC BelowAboveHook;

LRESULT CALLBACK AboveHookProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    AboveHook.push_back({message, wParam, lParam});
    return CallWindowProcA(BelowAboveHook, window, message, wParam, lParam);
}

std::vector<WPARAM> CommandsIn(const std::vector<PlayerMessage> &messages)
{
    std::vector<WPARAM> commands;
    for (const PlayerMessage &m : messages)
        if (m.Message == WM_COMMAND)
            commands.push_back(m.WParam);
    return commands;
}

bool Saw(const std::vector<PlayerMessage> &messages, UINT message)
{
    for (const PlayerMessage &m : messages)
        if (m.Message == message)
            return true;
    return false;
}

/* The 128-byte ID3v1 block after some audio bytes. */
std::string TaggedFile(const std::string &title, const std::string &artist, const std::string &album)
{
    auto field = [](const std::string &text) { return text + std::string(30 - text.size(), '\0'); };
    return std::string(300, '\x33') + "TAG" + field(title) + field(artist) + field(album) + "1999" + field("") + '\x11';
}

/*
 * Cancels every dialog that a command opens on this thread while it is
 * alive: the configuration dialog and the pickers are modal.  The
 * configuration dialog ignores Cancel and is closed with OK.
 */
class DialogCanceller
{
  public:
    DialogCanceller() : thread_(GetCurrentThreadId()), worker_([this] { Run(); }) {}
    ~DialogCanceller()
    {
        stop_ = true;
        worker_.join();
    }

  private:
    static BOOL CALLBACK Cancel(HWND window, LPARAM)
    {
        /* Nothing here may send to the window: the player's thread does not answer while it joins this one. */
        char name[16];
        if (!IsWindowVisible(window) || !GetClassNameA(window, name, sizeof name) || strcmp(name, "#32770") != 0)
            return TRUE;
        bool configuration = GetDlgItem(window, IDC_LOAD_PELMIX) != NULL;
        PostMessageA(window, WM_COMMAND, configuration ? IDOK : IDCANCEL, 0);
        return TRUE;
    }
    void Run()
    {
        while (!stop_) {
            EnumThreadWindows(thread_, Cancel, 0);
            Sleep(20);
        }
    }
    DWORD thread_;
    std::atomic<bool> stop_{false};
    std::thread worker_;
};

class HookTest : public PluginTest
{
  protected:
    void TearDown() override
    {
        PluginTest::TearDown();
        BelowHook.clear();
        AboveHook.clear();
    }
    /*
     * Starts the plug-in with the recorder between the hook and the player.
     * The settings come before QuietStart's: of two equal keys the first
     * counts.
     */
    void StartBelow(const std::string &settings = "")
    {
        SetWindowLongPtrA(PlayerWindow(), GWLP_WNDPROC, (LONG_PTR)BelowHookProc);
        WriteSettings(settings + QuietStart);
        ASSERT_EQ(StartPlugin(), 0);
        ASSERT_NE(BelowHookProc, (WNDPROC)GetWindowLongPtrA(PlayerWindow(), GWLP_WNDPROC)) << "hook installed";
        Forget();
    }
    /* Puts the recorder above the hook. */
    void WatchAbove()
    {
        BelowAboveHook = (WNDPROC)SetWindowLongPtrA(PlayerWindow(), GWLP_WNDPROC, (LONG_PTR)AboveHookProc);
    }
    void Forget()
    {
        Player().Received.clear();
        BelowHook.clear();
        AboveHook.clear();
        rig::Boxes().clear();
        rig::ShellCalls().clear();
    }
    HMENU LoadPluginMenu(WORD id) { return LoadMenuA(PlayerPluginModule(), MAKEINTRESOURCEA(id)); }
    /* Makes the poller take this file as the current track. */
    void PlayTrack(const std::string &file)
    {
        SetPlaylist({file});
        rig::Tick();
    }
};

/* ---- commands ------------------------------------------------------------ */

TEST_F(HookTest, PlayerCommandsReachThePlayerInOrder)
{
    struct Case {
        WPARAM Command;
        std::vector<WPARAM> PlayerCommands;
    } cases[] = {
        {50001, {40045}}, {50002, {40046}}, {50003, {40044}},        {50004, {40048}},
        {50005, {40047}}, {50006, {40157}}, {50013, {40064, 40266}},
    };
    StartBelow();
    for (const Case &c : cases) {
        Forget();
        EXPECT_EQ(1, Command(c.Command)) << c.Command << " is consumed";
        EXPECT_EQ(c.PlayerCommands, CommandsIn(Player().Received)) << "for " << c.Command;
        for (const PlayerMessage &m : Player().Received)
            EXPECT_EQ(0, m.LParam);
    }
}

/* Commands whose effect is elsewhere; none may reach the player's own procedure as itself. */
void ExpectConsumed(const std::vector<WPARAM> &commands)
{
    DialogCanceller canceller;
    for (WPARAM command : commands) {
        BelowHook.clear();
        EXPECT_EQ(1, SendMessageA(PlayerWindow(), WM_COMMAND, command, 0)) << command;
        for (WPARAM reached : CommandsIn(BelowHook))
            EXPECT_NE(command, reached) << command << " was passed on";
    }
}

/* Switch View comes before the layout is opened: it opens the Control Panel, which has no edits to fill. */
TEST_F(HookTest, PluginCommandsAreConsumedAndNeverReachThePlayer)
{
    StartBelow();
    ExpectConsumed({ID_SNAP_SHOT, ID_LYRICS_LOOKUP, ID_CONFIGURE, ID_ADD_CURRENT_TRACK, IDC_SWITCH_VIEW, ID_NOW_PLAYING,
                    ID_REPLACE_PLAYLIST, ID_COPY_TO_FAVORITES, ID_MARQUEE, IDC_CLEAR_PLAYLIST, IDC_FONT_TITLE,
                    IDC_FONT_ARTIST, IDC_FONT_ALBUM, IDC_FONT_TIME});
}

/* The commands that open windows with texts in edits: the Now Playing layout, its switch, the tweaker, the colours. */
TEST_F(HookTest, PluginCommandsOpeningTextsInEditsAreConsumedToo)
{
    SKIP_WITHOUT_TEXT_MEASURING();
    StartBelow();
    ExpectConsumed({ID_NOW_PLAYING, IDC_SWITCH_VIEW, IDC_CUE_SHEET, IDC_BACKGROUND});
}

TEST_F(HookTest, OtherCommandsReachThePlayersProcedureUnchangedWithItsResult)
{
    const WPARAM commands[] = {
        ID_NOW_PLAYING_ITEM,
        ID_MARQUEE_CHOOSE_FONT,
        40045,
        12345,
        50000,
        50022,
        1026,
        MAKEWPARAM(ID_PLAY, 1),              /* an accelerator */
        MAKEWPARAM(ID_SNAP_SHOT, EN_CHANGE), /* a control notification */
        MAKEWPARAM(IDC_CLEAR_PLAYLIST, 0x8000),
    };
    StartBelow();
    for (WPARAM command : commands) {
        Forget();
        LRESULT result = SendMessageA(PlayerWindow(), WM_COMMAND, command, 0x1234);
        EXPECT_EQ(CommandResultMark, result) << "the player's result comes back for " << command;
        ASSERT_EQ(1u, Player().Received.size()) << command;
        EXPECT_EQ((UINT)WM_COMMAND, Player().Received[0].Message);
        EXPECT_EQ(command, Player().Received[0].WParam);
        EXPECT_EQ(0x1234, Player().Received[0].LParam);
    }
}

TEST_F(HookTest, OtherMessagesPassOnUnchanged)
{
    StartBelow();
    SetPlaylist({"C:\\a.mp3", "C:\\b.mp3", "C:\\c.mp3"});
    EXPECT_EQ(3, SendMessageA(PlayerWindow(), WM_USER, 0, HOST_GET_LIST_LENGTH));
    SendMessageA(PlayerWindow(), WM_KEYDOWN, 'X', 0x2d0001);
    ASSERT_EQ(1u, Player().Received.size());
    EXPECT_EQ((UINT)WM_KEYDOWN, Player().Received[0].Message);
    EXPECT_EQ((WPARAM)'X', Player().Received[0].WParam);
    EXPECT_EQ(0x2d0001, Player().Received[0].LParam);
    EXPECT_TRUE(Saw(BelowHook, WM_USER));
}

TEST_F(HookTest, InitBoxForCreateAndInitDialogThenPassedOn)
{
    StartBelow();
    for (UINT message : {(UINT)WM_INITDIALOG, (UINT)WM_CREATE}) {
        Forget();
        CREATESTRUCTA create = {};
        SendMessageA(PlayerWindow(), message, 0, message == WM_CREATE ? (LPARAM)&create : 0);
        ASSERT_EQ(1u, rig::Boxes().size()) << message;
        EXPECT_EQ("Init!", rig::Boxes()[0].Text);
        EXPECT_EQ("information", rig::Boxes()[0].Caption);
        EXPECT_EQ((UINT)MB_ICONINFORMATION, rig::Boxes()[0].Flags);
        EXPECT_TRUE(Saw(BelowHook, message)) << message << " is passed on after the box";
    }
}

TEST_F(HookTest, TitleFontCommandShowsItsBoxFirst)
{
    StartBelow();
    DialogCanceller canceller;
    EXPECT_EQ(1, Command(IDC_FONT_TITLE));
    ASSERT_LE(1u, rig::Boxes().size());
    const rig::Box &box = rig::Boxes()[0];
    EXPECT_EQ(PlayerWindow(), box.Owner);
    EXPECT_EQ("Choosing font", box.Text);
    EXPECT_EQ("Information", box.Caption);
    EXPECT_EQ((UINT)(MB_ICONERROR | MB_TASKMODAL | MB_SETFOREGROUND | MB_TOPMOST), box.Flags);
}

TEST_F(HookTest, CopyToFavoritesOnlySaysItDoesNotWorkYet)
{
    StartBelow("FavoritesDirectory=" + Folder() + "\r\n");
    PlayTrack(Path("song.mp3"));
    Forget();
    EXPECT_EQ(1, Command(ID_COPY_TO_FAVORITES));
    ASSERT_EQ(1u, rig::Boxes().size());
    EXPECT_EQ(PlayerWindow(), rig::Boxes()[0].Owner);
    EXPECT_EQ("This doesn't work yet!", rig::Boxes()[0].Text);
    EXPECT_EQ("Information", rig::Boxes()[0].Caption);
    EXPECT_EQ((UINT)(MB_ICONINFORMATION | MB_TASKMODAL | MB_SETFOREGROUND | MB_TOPMOST), rig::Boxes()[0].Flags);
    EXPECT_TRUE(Player().Received.empty());
}

/* ---- menus ----------------------------------------------------------------- */

struct MenuLine {
    const char *Text; /* NULL for a separator */
    UINT Id;
};

void ExpectMenu(HMENU menu, const std::vector<MenuLine> &lines, const char *where)
{
    ASSERT_EQ((int)lines.size(), GetMenuItemCount(menu)) << where;
    for (size_t i = 0; i < lines.size(); i++) {
        char text[128] = "";
        MENUITEMINFOA item = {};
        item.cbSize = sizeof item;
        item.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING | MIIM_SUBMENU;
        item.dwTypeData = text;
        item.cch = sizeof text;
        ASSERT_TRUE(GetMenuItemInfoA(menu, (UINT)i, TRUE, &item)) << where << " " << i;
        if (!lines[i].Text) {
            EXPECT_TRUE(item.fType & MFT_SEPARATOR) << where << " position " << i + 1 << " is a separator";
            continue;
        }
        EXPECT_FALSE(item.fType & MFT_SEPARATOR) << where << " " << i + 1;
        EXPECT_STREQ(lines[i].Text, text) << where << " position " << i + 1;
        if (!item.hSubMenu) {
            EXPECT_EQ(lines[i].Id, item.wID) << where << " " << lines[i].Text;
        }
    }
}

TEST_F(HookTest, TrayMenuFromTheDllIsTheTable)
{
    StartBelow();
    HMENU menu = LoadPluginMenu(104);
    ASSERT_NE((HMENU)NULL, menu);
    ExpectMenu(menu, {{"PopUP", 0}}, "menu 104");
    HMENU popup = GetSubMenu(menu, 0);
    ASSERT_NE((HMENU)NULL, popup);
    ExpectMenu(popup,
               {{"Command", 50015},
                {"Now Playing", 50016},
                {"Marquee", 50019},
                {NULL, 0},
                {"Marquee Fonts", 0},
                {"Configure", 50011},
                {"Stream Outputs...", 50021},
                {NULL, 0},
                {"Pause/Resume", 50002},
                {"Play", 50001},
                {"Previous Track", 50003},
                {"Next Track", 50004},
                {"Stop", 50005},
                {"Stop after current track", 50006},
                {"Toggle Windowshade", 50013},
                {NULL, 0},
                {"Snap Shot", 50009},
                {"Add current track to master play list", 50012},
                {"Copy file to favorites", 50018},
                {NULL, 0},
                {"Copy Title", 50007},
                {"Copy File Name", 50008},
                {NULL, 0},
                {"LyricShelf", 50010}},
               "PopUP");
    HMENU fonts = GetSubMenu(popup, 4);
    ASSERT_NE((HMENU)NULL, fonts) << "position 5 is a submenu";
    ExpectMenu(fonts, {{"Title", 1037}, {"Artist", 1040}, {"Album", 1042}}, "Marquee Fonts");

    /* Of the items (separators aside), only the lyrics item is grayed in the resource. */
    for (int i = 0; i < GetMenuItemCount(popup); i++) {
        UINT state = GetMenuState(popup, (UINT)i, MF_BYPOSITION);
        if (state & MF_SEPARATOR)
            continue;
        EXPECT_EQ(i == 23, (state & MF_GRAYED) != 0) << "position " << i + 1;
    }
    DestroyMenu(menu);
}

TEST_F(HookTest, MarqueeMenuFromTheDll)
{
    StartBelow();
    HMENU menu = LoadPluginMenu(108);
    ASSERT_NE((HMENU)NULL, menu);
    ExpectMenu(menu, {{"Marquee Popup", 0}}, "menu 108");
    ExpectMenu(GetSubMenu(menu, 0), {{"Marquee - Choose Font", 50020}, {"Marquee - Choose Background", 1038}},
               "Marquee Popup");
    DestroyMenu(menu);
}

bool Grayed(HMENU menu, UINT command) { return (GetMenuState(menu, command, MF_BYCOMMAND) & MF_GRAYED) != 0; }

/* The enabling state of an item: 0 when enabled, MF_GRAYED | MF_DISABLED when grayed and disabled together. */
UINT EnablingOf(HMENU menu, UINT command)
{
    return GetMenuState(menu, command, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED);
}

TEST_F(HookTest, FourItemsEnabledByTrackAndSettings)
{
    struct Case {
        const char *Name;
        std::string Settings;
        bool Track, NoTitle;
        bool Title, FileName, Add, Favorites; /* enabled */
    } cases[] = {
        {"no track yet", "UseM3U=1\r\nM3UFileName=C:\\m.m3u\r\nFavoritesDirectory=C:\\Fav\r\n", false, false, false,
         false, false, false},
        {"everything", "UseM3U=1\r\nM3UFileName=C:\\m.m3u\r\nFavoritesDirectory=C:\\Fav\r\n", true, false, true, true,
         true, true},
        {"M3U name empty", "UseM3U=1\r\nM3UFileName=\r\nFavoritesDirectory=\r\n", true, false, true, true, false,
         false},
        {"M3U off", "UseM3U=0\r\nM3UFileName=C:\\m.m3u\r\nFavoritesDirectory=C:\\Fav\r\n", true, false, true, true,
         false, true},
        {"no title", "UseM3U=1\r\nM3UFileName=C:\\m.m3u\r\nFavoritesDirectory=C:\\Fav\r\n", true, true, false, true,
         true, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        StartBelow(c.Settings);
        if (c.Track) {
            SetPlaylist({Path("song.mp3")});
            Player().Playlist[0].NoTitle = c.NoTitle;
            rig::Tick();
        }
        HMENU menu = LoadPluginMenu(104);
        HMENU popup = GetSubMenu(menu, 0);
        /* Start from the opposite of what is expected, so each item must be set. */
        EnableMenuItem(popup, ID_COPY_TITLE, MF_BYCOMMAND | (c.Title ? MF_GRAYED : MF_ENABLED));
        EnableMenuItem(popup, ID_COPY_FILE_NAME, MF_BYCOMMAND | (c.FileName ? MF_GRAYED : MF_ENABLED));
        EnableMenuItem(popup, ID_ADD_CURRENT_TRACK, MF_BYCOMMAND | (c.Add ? MF_GRAYED : MF_ENABLED));
        EnableMenuItem(popup, ID_COPY_TO_FAVORITES, MF_BYCOMMAND | (c.Favorites ? MF_GRAYED : MF_ENABLED));
        Forget();
        EXPECT_EQ(0, SendMessageA(PlayerWindow(), WM_INITMENUPOPUP, (WPARAM)popup, 0)) << "the player's own result";
        const UINT Off = MF_GRAYED | MF_DISABLED;
        EXPECT_EQ(c.Title ? 0 : Off, EnablingOf(popup, ID_COPY_TITLE));
        EXPECT_EQ(c.FileName ? 0 : Off, EnablingOf(popup, ID_COPY_FILE_NAME));
        EXPECT_EQ(c.Add ? 0 : Off, EnablingOf(popup, ID_ADD_CURRENT_TRACK));
        EXPECT_EQ(c.Favorites ? 0 : Off, EnablingOf(popup, ID_COPY_TO_FAVORITES));
        EXPECT_TRUE(Grayed(popup, ID_LYRICS_LOOKUP)) << "nothing enables the lyrics item";
        EXPECT_FALSE(Grayed(popup, ID_PLAY));
        EXPECT_TRUE(Saw(BelowHook, WM_INITMENUPOPUP)) << "passed on, so the player keeps its own items up to date";
        DestroyMenu(menu);
        StopPlugin();
        SetWindowLongPtrA(PlayerWindow(), GWLP_WNDPROC, (LONG_PTR)PlayerWindowProc);
    }
}

TEST_F(HookTest, PlayersOwnMenuIsLeftAloneTheMessagePassedOnAndTheStampShown)
{
    StartBelow();
    HMENU own = CreateMenu();
    AppendMenuA(own, MF_STRING, 40045, "&Play");
    AppendMenuA(own, MF_STRING | MF_GRAYED, 40047, "S&top");
    HWND date = CreateWindowA("STATIC", "", WS_CHILD, 0, 0, 10, 10, PlayerWindow(), (HMENU)IDC_BUILD_DATE, NULL, NULL);
    HWND time = CreateWindowA("STATIC", "", WS_CHILD, 0, 0, 10, 10, PlayerWindow(), (HMENU)IDC_BUILD_TIME, NULL, NULL);
    for (UINT message : {(UINT)WM_INITMENU, (UINT)WM_INITMENUPOPUP}) {
        Forget();
        SetWindowTextA(date, "");
        SetWindowTextA(time, "");
        EXPECT_EQ(0, SendMessageA(PlayerWindow(), message, (WPARAM)own, 0));
        EXPECT_TRUE(Saw(BelowHook, message)) << "the player updates its own menu";
        EXPECT_EQ(2, GetMenuItemCount(own));
        EXPECT_FALSE(Grayed(own, 40045));
        EXPECT_TRUE(Grayed(own, 40047));
        char text[64];
        GetWindowTextA(date, text, sizeof text);
        EXPECT_EQ(11u, strlen(text)) << text;
        EXPECT_TRUE(strstr("JanFebMarAprMayJunJulAugSepOctNovDec", std::string(text, 3).c_str())) << text;
        EXPECT_EQ(' ', text[3]);
        EXPECT_EQ(' ', text[6]);
        EXPECT_TRUE(text[7] == '2' && isdigit(text[8]) && isdigit(text[9]) && isdigit(text[10])) << text;
        GetWindowTextA(time, text, sizeof text);
        EXPECT_EQ(8u, strlen(text)) << text;
        EXPECT_TRUE(text[2] == ':' && text[5] == ':' && isdigit(text[0]) && isdigit(text[7])) << text;
    }
    DestroyWindow(date);
    DestroyWindow(time);
    DestroyMenu(own);
}

/* ---- tray icon ------------------------------------------------------------- */

/* The Control Panel layout: it has no edits to fill, so this runs on every build. */
TEST_F(HookTest, TrayLeftClickSendsNowPlayingOtherMouseMessagesDoNothing)
{
    StartBelow("UseNowPlaying=1\r\n");
    WatchAbove();
    EXPECT_EQ(1, SendMessageA(PlayerWindow(), WM_TRAY_NOTIFY, TRAY_ICON_ID, WM_LBUTTONDOWN));
    std::vector<WPARAM> expected = {ID_NOW_PLAYING};
    EXPECT_EQ(expected, CommandsIn(AboveHook)) << "sent to the window itself";
    for (const PlayerMessage &m : AboveHook)
        if (m.Message == WM_COMMAND) {
            EXPECT_EQ(0, m.LParam);
        }
    EXPECT_TRUE(CommandsIn(BelowHook).empty()) << "and consumed by the hook";
    EXPECT_EQ(1, SendMessageA(PlayerWindow(), WM_TRAY_NOTIFY, TRAY_ICON_ID, WM_LBUTTONDOWN));
    EXPECT_EQ(2u, CommandsIn(AboveHook).size()) << "every left click sends it";
    EXPECT_TRUE(FindWindowExA(NULL, NULL, "#32770", "Control Panel")) << "the layout the setting chose";

    for (LPARAM mouse :
         {WM_LBUTTONDBLCLK, WM_LBUTTONUP, WM_RBUTTONUP, WM_MOUSEMOVE, WM_RBUTTONDBLCLK, WM_MBUTTONDOWN}) {
        Forget();
        EXPECT_EQ(0, SendMessageA(PlayerWindow(), WM_TRAY_NOTIFY, TRAY_ICON_ID, mouse)) << mouse;
        PlayerPump();
        EXPECT_TRUE(CommandsIn(AboveHook).empty()) << mouse;
        EXPECT_FALSE(Saw(BelowHook, WM_TRAY_NOTIFY)) << mouse << " is not passed on";
        EXPECT_TRUE(Player().Received.empty());
    }
}

/*
 * Drives the real tray popup from a helper thread: waits for the menu
 * window of the player's thread, notes where it is, and presses keys.
 */
class PopupDriver
{
  public:
    PopupDriver(int downs) : thread_(GetCurrentThreadId()), downs_(downs), worker_([this] { Run(); }) {}
    ~PopupDriver() { worker_.join(); }
    bool Found() const { return found_; }
    RECT Rect() const { return rect_; }
    /* MF_GRAYED state of an item of the shown popup, as it was when the menu appeared. */
    bool Grayed(UINT command) const
    {
        for (size_t i = 0; i < Watched; i++)
            if (WatchedItems[i] == command)
                return grayed_[i];
        return false;
    }
    static const size_t Watched = 5;
    static constexpr UINT WatchedItems[Watched] = {ID_COPY_TITLE, ID_COPY_FILE_NAME, ID_ADD_CURRENT_TRACK,
                                                   ID_COPY_TO_FAVORITES, ID_PLAY};

  private:
    static BOOL CALLBACK Find(HWND window, LPARAM found)
    {
        char name[16];
        if (IsWindowVisible(window) && GetClassNameA(window, name, sizeof name) && strcmp(name, "#32768") == 0) {
            *(HWND *)found = window;
            return FALSE;
        }
        return TRUE;
    }
    void Run()
    {
        HWND menu = NULL;
        for (int i = 0; i < 250 && !menu; i++) {
            Sleep(20);
            EnumThreadWindows(thread_, Find, (LPARAM)&menu);
        }
        if (!menu)
            return;
        GetWindowRect(menu, &rect_);
        HMENU shown = (HMENU)SendMessageA(menu, MN_GETHMENU, 0, 0);
        for (size_t i = 0; i < Watched; i++)
            grayed_[i] = (GetMenuState(shown, WatchedItems[i], MF_BYCOMMAND) & MF_GRAYED) != 0;
        found_ = true;
        Sleep(50);
        for (int i = 0; i < downs_; i++)
            PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageA(menu, WM_KEYDOWN, downs_ ? VK_RETURN : VK_ESCAPE, 0);
    }
    DWORD thread_;
    int downs_;
    RECT rect_ = {};
    bool grayed_[Watched] = {};
    std::atomic<bool> found_{false};
    std::thread worker_;
};

/* What one right-click on the tray icon showed, read by a PopupDriver. */
struct SeenPopup {
    LRESULT Result; /* of the right-click's WM_TRAY_NOTIFY */
    bool Found;
    RECT Rect;
    bool Grayed[PopupDriver::Watched];
};

/*
 * Right-clicks the tray icon; the popup is read, then the driver presses
 * VK_DOWN downs times and Enter (Escape when downs is 0).  A menu closes
 * when another window takes the foreground, which the test programs running
 * beside this one may do at any moment: a popup closed that way is shown
 * again, up to three times, until accepted takes what an attempt saw (by
 * default: a popup that was seen).
 */
SeenPopup RightClickTray(
    int downs,
    const std::function<bool(const SeenPopup &)> &accepted = [](const SeenPopup &seen) { return seen.Found; })
{
    SeenPopup seen = {};
    for (int attempt = 0; attempt < 3; attempt++) {
        {
            PopupDriver driver(downs);
            seen.Result = SendMessageA(PlayerWindow(), WM_TRAY_NOTIFY, TRAY_ICON_ID, WM_RBUTTONDOWN);
            PlayerPumpFor(100);
            seen.Found = driver.Found();
            seen.Rect = driver.Rect();
            for (size_t i = 0; i < PopupDriver::Watched; i++)
                seen.Grayed[i] = driver.Grayed(PopupDriver::WatchedItems[i]);
        }
        PlayerPump();
        if (accepted(seen))
            break;
    }
    return seen;
}

TEST_F(HookTest, TrayRightClickShowsThePopupAndTheChosenItemArrives)
{
    StartBelow();
    ASSERT_TRUE(SetCursorPos(400, 300));
    POINT cursor;
    GetCursorPos(&cursor);
    /* Command, Now Playing, Marquee, Marquee Fonts, Configure, Stream Outputs..., Pause/Resume, Play */
    SeenPopup seen = RightClickTray(8, [this](const SeenPopup &attempt) {
        if (attempt.Found && !CommandsIn(Player().Received).empty())
            return true;
        Forget(); /* the keys did not reach the popup */
        return false;
    });
    ASSERT_TRUE(seen.Found) << "the popup menu was shown";
    EXPECT_EQ(1, seen.Result);
    std::vector<WPARAM> expected = {40045};
    EXPECT_EQ(expected, CommandsIn(Player().Received)) << "\"Play\" arrived as ID_PLAY and went to the player";
    EXPECT_FALSE(Saw(BelowHook, WM_TRAY_NOTIFY));
    EXPECT_NEAR(cursor.x + 1, (seen.Rect.left + seen.Rect.right) / 2, 1) << "centred on the cursor's x + 1";
    EXPECT_EQ(cursor.y, seen.Rect.top);

    Forget();
    seen = RightClickTray(0); /* closed without a choice */
    EXPECT_EQ(1, seen.Result);
    EXPECT_TRUE(seen.Found) << "loaded anew for the second click";
    EXPECT_TRUE(CommandsIn(Player().Received).empty());
}

TEST_F(HookTest, TrayPopupShowsTheItemsGrayedOrEnabledByTheTrack)
{
    StartBelow("UseM3U=1\r\nM3UFileName=C:\\m.m3u\r\nFavoritesDirectory=C:\\Fav\r\n");
    /* ID_COPY_TITLE, ID_COPY_FILE_NAME, ID_ADD_CURRENT_TRACK, ID_COPY_TO_FAVORITES, ID_PLAY */
    SeenPopup seen = RightClickTray(0);
    ASSERT_TRUE(seen.Found);
    EXPECT_EQ((std::vector<bool>(seen.Grayed, seen.Grayed + 5)), (std::vector<bool>{true, true, true, true, false}))
        << "the four track items grayed while no track was seen";
    PlayTrack(Path("song.mp3"));
    seen = RightClickTray(0);
    ASSERT_TRUE(seen.Found);
    EXPECT_EQ((std::vector<bool>(seen.Grayed, seen.Grayed + 5)), (std::vector<bool>{false, false, false, false, false}))
        << "enabled with a track";
    PlayerPump();
    EXPECT_TRUE(Saw(BelowHook, WM_INITMENUPOPUP)) << "the popup's initialisation goes on to the player too";
    EXPECT_TRUE(CommandsIn(Player().Received).empty());
}

/*
 * After the system's shell restarts it sends "TaskbarCreated": the icon is
 * added again with the same record as at init, and the message goes on to
 * the player.
 */
TEST_F(HookTest, ShellRestartAddsTheTrayIconAgainAndPassesTheMessageOn)
{
    StartBelow();
    UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    Player().Watched = {taskbarCreated};
    ASSERT_EQ(1u, rig::TrayCalls().size());
    EXPECT_EQ(0, SendMessageA(PlayerWindow(), taskbarCreated, 0, 0));
    ASSERT_EQ(2u, rig::TrayCalls().size());
    auto record = [](const rig::TrayCall &c) {
        return std::make_tuple(c.Action, c.Size, c.Window, c.Id, c.Flags, c.CallbackMessage, c.Icon);
    };
    EXPECT_EQ(record(rig::TrayCalls()[0]), record(rig::TrayCalls()[1]));
    ASSERT_EQ(1u, Player().Received.size());
    EXPECT_EQ(taskbarCreated, Player().Received[0].Message);
}

/* WM_NULL is posted to the tray menu's owner once the menu has closed, so that an outside click closes it. */
TEST_F(HookTest, TrayMenuPostsNullMessageToItsOwnerAfterwards)
{
    StartBelow();
    Player().Watched = {WM_NULL};
    {
        PopupDriver driver(0);
        EXPECT_EQ(1, SendMessageA(PlayerWindow(), WM_TRAY_NOTIFY, TRAY_ICON_ID, WM_RBUTTONDOWN));
        EXPECT_TRUE(driver.Found());
        EXPECT_TRUE(Player().Received.empty()) << "posted, not sent";
    }
    PlayerPump();
    ASSERT_EQ(1u, Player().Received.size());
    EXPECT_EQ((UINT)WM_NULL, Player().Received[0].Message);
}

/* ---- lyrics -------------------------------------------------------------- */

TEST_F(HookTest, LyricsAddressHandedToTheShellNeverOpened)
{
    struct Case {
        const char *Title, *Artist, *Album;
        const char *Expected; /* NULL: nothing handed to the shell */
    } cases[] = {
        {"My Song", "The Band", "Best Of", "https://www.lyricshelf.com/lyrics/the_band/best_of/my_song"},
        {"My Song", "", "Best Of", NULL},
        {"", "The Band", "Best Of", NULL},
        {"Hells Bells", "AC/DC", "Back In Black",
         "https://www.lyricshelf.com/lyrics/ac%2Fdc/back_in_black/hells_bells"},
        {"Why?", "#1 Fans", "100%", "https://www.lyricshelf.com/lyrics/%231_fans/100%25/why%3F"},
        {"x\" --new-window \"", "Band", "Live", "https://www.lyricshelf.com/lyrics/band/live/x%22_--new-window_%22"},
    };
    StartBelow();
    int n = 0;
    for (const Case &c : cases) {
        std::string file = Path("track" + std::to_string(n++) + ".mp3");
        rig::WriteFile(file, TaggedFile(c.Title, c.Artist, c.Album));
        PlayTrack(file);
        Forget();
        EXPECT_EQ(1, Command(ID_LYRICS_LOOKUP));
        if (!c.Expected) {
            EXPECT_TRUE(rig::ShellCalls().empty()) << c.Artist << "/" << c.Album << "/" << c.Title;
            continue;
        }
        ASSERT_EQ(1u, rig::ShellCalls().size()) << c.Expected;
        const rig::ShellCall &call = rig::ShellCalls()[0];
        EXPECT_EQ(c.Expected, call.File);
        EXPECT_EQ((HWND)NULL, call.Owner);
        EXPECT_EQ("open", call.Verb);
        EXPECT_FALSE(call.HasParameters);
        EXPECT_TRUE(call.HasDirectory);
        EXPECT_EQ("", call.Directory);
        EXPECT_EQ(SW_SHOWNORMAL, call.Show);
        EXPECT_TRUE(Player().Received.empty());
        EXPECT_TRUE(rig::Boxes().empty());
    }
}

/* ---- a Unicode player window ------------------------------------------------ */

/* The player built for Unicode: its window procedure is a Unicode one. */
TEST_F(HookTest, UnicodeWindowKeepsItsTextsAndTheHookWorksAsOnAnAnsiOne)
{
    PlayerDestroyWindow();
    ASSERT_TRUE(IsWindowUnicode(PlayerCreateWindow(true)));
    WriteSettings(QuietStart);
    ASSERT_EQ(StartPlugin(), 0);
    ASSERT_NE(PlayerWindowProcW, (WNDPROC)GetWindowLongPtrW(PlayerWindow(), GWLP_WNDPROC)) << "hook installed";
    EXPECT_TRUE(IsWindowUnicode(PlayerWindow()));
    SetWindowTextW(PlayerWindow(), L"\u65e5\u672c\u8a9e");
    EXPECT_EQ(std::vector<std::wstring>({L"\u65e5\u672c\u8a9e"}), Player().Texts) << "not through the ANSI code page";

    struct Case {
        UINT Message;
        WPARAM WParam;
        LPARAM LParam;
        LRESULT Result;
        std::vector<WPARAM> PlayerCommands;
    } cases[] = {
        {WM_COMMAND, ID_PLAY, 0, 1, {PLAYER_PLAY}},
        {WM_COMMAND, ID_NOW_PLAYING_ITEM, 0, 0, {ID_NOW_PLAYING_ITEM}},
        {WM_COMMAND, MAKEWPARAM(ID_PLAY, 1), 0, 0, {MAKEWPARAM(ID_PLAY, 1)}},
        {WM_INITMENUPOPUP, 0, 0, 0, {}},
        {WM_USER, 0, HOST_GET_LIST_LENGTH, 2, {}},
    };
    SetPlaylist({"C:\\a.mp3", "C:\\b.mp3"});
    for (const Case &c : cases) {
        Forget();
        EXPECT_EQ(c.Result, SendMessageW(PlayerWindow(), c.Message, c.WParam, c.LParam))
            << c.Message << " " << c.WParam;
        EXPECT_EQ(c.PlayerCommands, CommandsIn(Player().Received)) << c.Message << " " << c.WParam;
    }

    StopPlugin();
    EXPECT_EQ(PlayerWindowProcW, (WNDPROC)GetWindowLongPtrW(PlayerWindow(), GWLP_WNDPROC)) << "given back";
    EXPECT_TRUE(IsWindowUnicode(PlayerWindow()));
}

/* ---- unloading ------------------------------------------------------------- */

/* Something that subclassed the player's window after the plug-in did. */
WNDPROC UnderLaterSubclass;
int LaterSubclassCalls;
int LaterSubclassDepth;

/*
 * Counts the messages the test sends; the system's own (paint, activation)
 * vary with the machine's load.  A message that comes round again and again
 * is going in a circle: it is stopped here, since a process that dies of a
 * stack overflow under Wine exits with code 0 and would pass.
 */
LRESULT CALLBACK LaterSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND || message == WM_TRAY_NOTIFY || message == WM_INITMENU || message == WM_INITDIALOG)
        LaterSubclassCalls++;
    if (LaterSubclassDepth > 8)
        return 0;
    LaterSubclassDepth++;
    LRESULT result = CallWindowProcA(UnderLaterSubclass, window, message, wParam, lParam);
    LaterSubclassDepth--;
    return result;
}

TEST_F(HookTest, WithoutALaterSubclassQuitGivesThePlayerItsProcedureBack)
{
    WriteSettings(QuietStart);
    ASSERT_EQ(StartPlugin(), 0);
    ASSERT_NE((WNDPROC)GetWindowLongPtrA(PlayerWindow(), GWLP_WNDPROC), PlayerWindowProc);
    char name[MAX_PATH];
    ASSERT_TRUE(GetModuleFileNameA(PlayerPluginModule(), name, sizeof name));
    StopPlugin();
    EXPECT_EQ(PlayerWindowProc, (WNDPROC)GetWindowLongPtrA(PlayerWindow(), GWLP_WNDPROC));
    EXPECT_EQ((HMODULE)NULL, GetModuleHandleA(name)) << "not pinned when it need not be";
}

TEST_F(HookTest, LaterSubclassKeepsWorkingAfterQuitAndUnload)
{
    WriteSettings(QuietStart);
    ASSERT_EQ(StartPlugin(), 0);
    char name[MAX_PATH];
    ASSERT_TRUE(GetModuleFileNameA(PlayerPluginModule(), name, sizeof name));
    UnderLaterSubclass = (WNDPROC)SetWindowLongPtrA(PlayerWindow(), GWLP_WNDPROC, (LONG_PTR)LaterSubclass);
    StopPlugin();

    EXPECT_EQ(LaterSubclass, (WNDPROC)GetWindowLongPtrA(PlayerWindow(), GWLP_WNDPROC))
        << "the later subclass stays in place";
    HMODULE pinned = GetModuleHandleA(name);
    EXPECT_NE((HMODULE)NULL, pinned) << "the hook's code stays loaded";
    if (pinned) {
        FreeLibrary(pinned);
        EXPECT_EQ(pinned, GetModuleHandleA(name)) << "pinned: even a further FreeLibrary leaves it";
    }

    /* The hook left in the chain is a pure pass-through now. */
    Player().Received.clear();
    rig::Boxes().clear();
    LaterSubclassCalls = 0;
    HWND window = PlayerWindow();
    for (WPARAM command : {ID_PLAY, ID_TOGGLE_WINDOWSHADE, ID_COPY_TO_FAVORITES, ID_NOW_PLAYING})
        SendMessageA(window, WM_COMMAND, command, 0);
    PostMessageA(window, WM_COMMAND, ID_STOP, 0);
    SendMessageA(window, WM_TRAY_NOTIFY, TRAY_ICON_ID, WM_LBUTTONDOWN);
    SendMessageA(window, WM_INITMENU, 0, 0);
    SendMessageA(window, WM_INITDIALOG, 0, 0);
    PlayerPumpFor(100);
    std::vector<WPARAM> expected = {ID_PLAY, ID_TOGGLE_WINDOWSHADE, ID_COPY_TO_FAVORITES, ID_NOW_PLAYING, ID_STOP};
    EXPECT_EQ(expected, CommandsIn(Player().Received)) << "unchanged, none turned into player commands";
    EXPECT_TRUE(rig::Boxes().empty());
    EXPECT_EQ(8, LaterSubclassCalls);
    SetPlaylist({"C:\\a.mp3", "C:\\b.mp3"});
    EXPECT_EQ(2, SendMessageA(window, WM_USER, 0, HOST_GET_LIST_LENGTH)) << "queries are still answered";

    /* The later subclass may take itself out again: the window then calls the pass-through directly. */
    SetWindowLongPtrA(window, GWLP_WNDPROC, (LONG_PTR)UnderLaterSubclass);
    Player().Received.clear();
    SendMessageA(window, WM_COMMAND, ID_PAUSE_RESUME, 0);
    expected = {ID_PAUSE_RESUME};
    EXPECT_EQ(expected, CommandsIn(Player().Received));
}

/*
 * The player starts the plug-in again in the same process after a quit
 * that had to leave the hook in the chain: init re-arms that hook instead
 * of hooking the window a second time, which would send every message
 * round between the later subclass and the hook for ever.
 */
TEST_F(HookTest, ReloadAfterAQuitThatLeftTheHookReArmsIt)
{
    WriteSettings(QuietStart);
    ASSERT_EQ(StartPlugin(), 0);
    HWND window = PlayerWindow();
    UnderLaterSubclass = (WNDPROC)SetWindowLongPtrA(window, GWLP_WNDPROC, (LONG_PTR)LaterSubclass);
    StopPlugin();
    ASSERT_EQ(StartPluginIn(PluginsFolder(), ""), 0);
    EXPECT_EQ(LaterSubclass, (WNDPROC)GetWindowLongPtrA(window, GWLP_WNDPROC));

    Forget();
    LaterSubclassCalls = 0;
    SendMessageA(window, WM_COMMAND, ID_NOW_PLAYING_ITEM, 0);
    EXPECT_EQ(1, LaterSubclassCalls) << "the message went round in a circle";
    EXPECT_EQ(std::vector<WPARAM>({ID_NOW_PLAYING_ITEM}), CommandsIn(Player().Received)) << "reached it once";
    Forget();
    EXPECT_EQ(1, Command(ID_TOGGLE_WINDOWSHADE)) << "the plug-in's commands work again";
    EXPECT_EQ(std::vector<WPARAM>({PLAYER_WINDOWSHADE_MAIN, PLAYER_WINDOWSHADE_PLAYLIST}),
              CommandsIn(Player().Received));

    /* The later subclass goes; the second quit then gives the player its own procedure back. */
    SetWindowLongPtrA(window, GWLP_WNDPROC, (LONG_PTR)UnderLaterSubclass);
    StopPlugin();
    EXPECT_EQ(PlayerWindowProc, (WNDPROC)GetWindowLongPtrA(window, GWLP_WNDPROC));
    Forget();
    Command(ID_PLAY);
    EXPECT_EQ(std::vector<WPARAM>({ID_PLAY}), CommandsIn(Player().Received)) << "no hook any more";
}

} // namespace
