/*
 * The plug-in in a player's real day: the player closed from outside while
 * a modal window of the plug-in is open (both when the player frees the
 * DLL inside that window's loop and when it frees it after the loop has
 * unwound), and requests that come twice while a window of their kind is
 * open.
 */
#include "tests/dialog_tests.h"

#include <string.h>

#include <functional>
#include <string>
#include <vector>

namespace
{

const char QuietStart[] = "AlwaysConfigureOnLaunch=0\r\n";

BOOL CALLBACK ListVisible(HWND window, LPARAM list)
{
    char name[64] = "", caption[128] = "";
    if (window != PlayerWindow() && IsWindowVisible(window)) {
        GetClassNameA(window, name, sizeof name);
        GetWindowTextA(window, caption, sizeof caption);
        ((std::vector<std::string> *)list)->push_back(std::string(name) + " '" + caption + "'");
    }
    return TRUE;
}

/* The visible top-level windows of this thread but the player's, as "class 'caption'". */
std::vector<std::string> WindowsLeft()
{
    std::vector<std::string> left;
    EnumThreadWindows(GetCurrentThreadId(), ListVisible, (LPARAM)&left);
    return left;
}

/* Visible dialogs of this thread with this caption. */
int DialogsCaptioned(const char *caption)
{
    int count = 0;
    for (const std::string &window : WindowsLeft())
        count += window == std::string("#32770 '") + caption + "'";
    return count;
}

/* The player told to close, as from outside: once, from whatever loop runs. */
void ClosePlayer()
{
    if (Player().Closes == 0)
        SendMessageA(PlayerWindow(), WM_CLOSE, 0, 0);
}

/* Closes the player once a popup menu of this thread shows, from the menu's own loop. */
void CALLBACK CloseWhenMenuShows(HWND, UINT, UINT_PTR timer, DWORD)
{
    for (const std::string &window : WindowsLeft())
        if (window.rfind("#32768 ", 0) == 0) {
            KillTimer(NULL, timer);
            ClosePlayer();
            return;
        }
}

enum Need { NEEDS_NOTHING, NEEDS_TEXT, NEEDS_DRAWING };

/*
 * One modal window of the plug-in: what opens it (returning once it has
 * ended), the caption by which the close finds it (a box's, with real
 * boxes; none for a popup menu), what the test does in it before the
 * close, and what must hold afterwards.
 */
struct ModalCase {
    const char *Name;
    Need Needs;
    std::string Settings;
    const char *Caption;
    bool Box;
    std::function<void()> Open;
    std::function<void(HWND)> Before;
    std::function<void(const std::string &pluginsFolder)> After;
};

void Send(WPARAM command) { SendMessageA(PlayerWindow(), WM_COMMAND, command, 0); }

void OpenFromConfiguration(int button)
{
    rig::OnDialog(ConfigurationCaption, [button](HWND dialog, int call) {
        if (call == 0)
            Click(dialog, button);
    });
    Send(ID_CONFIGURE);
}

std::string SavedIn(const std::string &pluginsFolder, const char *key)
{
    char value[64];
    GetPrivateProfileStringA("Vellacord_Tovk", key, "<none>", value, sizeof value,
                             (pluginsFolder + "plugin.ini").c_str());
    return value;
}

const ModalCase ModalCases[] = {
    {"FontPicker", NEEDS_TEXT, "", FontCaption, false, [] { Send(IDC_FONT_ARTIST); }, nullptr, nullptr},
    {"ColourPicker", NEEDS_TEXT, "", ColourCaption, false, [] { Send(IDC_BACKGROUND); }, nullptr, nullptr},
    {"ChoosingFontBox", NEEDS_NOTHING, "", "Information", true, [] { Send(IDC_FONT_TITLE); }, nullptr,
     [](const std::string &) { EXPECT_TRUE(rig::FontRequests().empty()) << "no picker after the box"; }},
    {"TrayMenu", NEEDS_NOTHING, "", nullptr, false,
     [] { SendMessageA(PlayerWindow(), WM_TRAY_NOTIFY, TRAY_ICON_ID, WM_RBUTTONDOWN); }, nullptr, nullptr},
    {"MarqueeMenu", NEEDS_NOTHING, "", nullptr, false,
     [] {
         Send(ID_MARQUEE);
         SendMessageA(FindWindowA("gen_Kestrune_MARQUEE", NULL), WM_RBUTTONDOWN, 0, 0);
     },
     nullptr, nullptr},
    {"ConfigurationDialog", NEEDS_NOTHING, "Zelt_Mode=0\r\n", ConfigurationCaption, false, [] { Send(ID_CONFIGURE); },
     [](HWND dialog) { CheckDlgButton(dialog, IDC_ZELT_MODE, BST_CHECKED); },
     [](const std::string &folder) { EXPECT_EQ("0", SavedIn(folder, "Zelt_Mode")) << "ended as cancelled"; }},
    {"StreamOutputsWindow", NEEDS_TEXT, "", "Stream Outputs", false, [] { Send(ID_STREAM_OUTPUTS); },
     [](HWND dialog) { SetDlgItemTextA(dialog, IDC_STREAM_TEXT_EDIT, "C:\\nowhere\\now.txt"); },
     [](const std::string &folder) { EXPECT_EQ("", SavedIn(folder, "StreamTextFileName")) << "ended as cancelled"; }},
    {"SaveAsPicker", NEEDS_TEXT, "", SaveAsCaption, false, [] { OpenFromConfiguration(IDC_LOG_BUTTON); }, nullptr,
     nullptr},
    {"FolderPicker", NEEDS_DRAWING, "", FolderCaption, false, [] { OpenFromConfiguration(IDC_SNAPSHOT_BUTTON); },
     nullptr, nullptr},
    {"ReplacePlaylistBox", NEEDS_NOTHING, "M3UFileName=C:\\nowhere\\master.m3u\r\n", "Replace play list", true,
     [] { Send(ID_REPLACE_PLAYLIST); }, nullptr,
     [](const std::string &) { EXPECT_EQ(0, Player().PlaylistWrites) << "the answer was no Yes"; }},
};

struct QuitCase {
    const ModalCase *Modal;
    bool FreedInside;
};

/* The case's name as GoogleTest prints the parameter. */
void PrintTo(const QuitCase &c, std::ostream *out)
{
    *out << c.Modal->Name << (c.FreedInside ? ", freed inside" : ", freed after");
}

class QuitInsideModal : public ::testing::WithParamInterface<QuitCase>, public PluginTest
{
  protected:
    void SetUp() override
    {
        PluginTest::SetUp();
        if (GetParam().Modal->Needs == NEEDS_TEXT)
            SKIP_WITHOUT_TEXT_MEASURING();
        if (GetParam().Modal->Needs == NEEDS_DRAWING)
            SKIP_WITHOUT_DRAWING();
    }
};

/*
 * The player is closed from inside the window's modal loop: quit ends the
 * window, the loop unwinds, and the process runs on with no window of the
 * plug-in left, no tray icon and the settings saved.
 */
TEST_P(QuitInsideModal, EndsTheWindowAndLeavesNothingBehind)
{
    const ModalCase &c = *GetParam().Modal;
    WriteSettings(QuietStart + c.Settings);
    ASSERT_EQ(StartPlugin(), 0);
    Player().OnClose = GetParam().FreedInside ? PlayerState::CloseQuitsAndFrees : PlayerState::CloseQuits;
    UINT_PTR menuTimer = 0;
    if (c.Box) {
        rig::UseRealBoxes(true);
        rig::OnBox([](const rig::Box &) { ClosePlayer(); });
    } else if (c.Caption) {
        auto before = c.Before;
        rig::OnDialog(c.Caption, [before](HWND dialog, int) {
            if (before)
                before(dialog);
            ClosePlayer();
        });
    } else {
        menuTimer = SetTimer(NULL, 0, 20, CloseWhenMenuShows);
    }

    c.Open();
    KillTimer(NULL, menuTimer);
    EXPECT_EQ(1, Player().Closes) << "the close reached the player from inside the window";
    StopPlugin(); /* frees the DLL now where the close did not */
    PlayerPumpFor(200);

    EXPECT_EQ(std::vector<std::string>(), WindowsLeft());
    ASSERT_FALSE(rig::TrayCalls().empty());
    EXPECT_EQ((DWORD)NIM_DELETE, rig::TrayCalls().back().Action) << "the tray icon is gone";
    EXPECT_NE("<none>", SavedIn(PluginsFolder(), "UseNowPlaying")) << "settings saved at quit";
    EXPECT_NE(GetModuleHandleA("gen_Kestrune.dll"), (HMODULE)NULL)
        << "quit ran below the plug-in's own frames: the DLL stays until the process ends";
    if (c.After)
        c.After(PluginsFolder());
}

std::vector<QuitCase> QuitCases()
{
    std::vector<QuitCase> cases;
    for (const ModalCase &modal : ModalCases)
        for (bool freedInside : {true, false})
            cases.push_back({&modal, freedInside});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Windows, QuitInsideModal, ::testing::ValuesIn(QuitCases()),
                         [](const ::testing::TestParamInfo<QuitCase> &info) {
                             return std::string(info.param.Modal->Name) +
                                    (info.param.FreedInside ? "_FreedInside" : "_FreedAfter");
                         });

/* ---- requests that come twice ---------------------------------------------- */

using TwiceTest = PluginTest;

/*
 * Configure while the configuration dialog is open, from the tray's command
 * (sent and posted many times) and from the player's own Config call,
 * brings the open dialog to the front: never a second dialog, whose OK the
 * outer one's OK would then undo.
 */
TEST_F(TwiceTest, ConfigureWhileTheDialogIsOpenBringsItToTheFront)
{
    WriteSettings(QuietStart);
    ASSERT_EQ(StartPlugin(), 0);
    int dialogsSeen = 0;
    HWND first = NULL;
    rig::OnDialog(ConfigurationCaption, [&](HWND dialog, int call) {
        if (call == 0) {
            first = dialog;
            SetForegroundWindow(PlayerWindow());
            SendMessageA(PlayerWindow(), WM_COMMAND, ID_CONFIGURE, 0);
            PlayerRecord()->Config();
            for (int i = 0; i < 50; i++)
                PostMessageA(PlayerWindow(), WM_COMMAND, ID_CONFIGURE, 0);
            return;
        }
        dialogsSeen = DialogsCaptioned(ConfigurationCaption);
        EXPECT_EQ(first, dialog);
        EXPECT_EQ(first, GetForegroundWindow()) << "brought to the front";
        CheckDlgButton(dialog, IDC_USE_LOG, BST_UNCHECKED);
        Press(dialog, IDOK);
    });
    Command(ID_CONFIGURE);
    PlayerPump();
    EXPECT_EQ(1, dialogsSeen);
    EXPECT_EQ(0, DialogsCaptioned(ConfigurationCaption));
    StopPlugin();
    char value[8];
    GetPrivateProfileStringA("Vellacord_Tovk", "UseLog", "", value, sizeof value, Path("Plugins\\plugin.ini").c_str());
    EXPECT_STREQ("0", value) << "the one dialog's OK counts";
}

/*
 * "Marquee" again while the opening marquee's failure box is open (the work
 * area could not be read): exactly one marquee once the box has closed,
 * and none once the plug-in has quit.
 */
TEST_F(TwiceTest, MarqueeRequestInsideItsOwnFailureBoxLeavesOneMarquee)
{
    WriteSettings(QuietStart);
    ASSERT_EQ(StartPlugin(), 0);
    rig::FailCalls("SystemParametersInfoA", ERROR_ACCESS_DENIED);
    rig::OnBox([this](const rig::Box &) { Command(ID_MARQUEE); });
    Command(ID_MARQUEE);
    rig::OnBox(nullptr);
    EXPECT_EQ(1u, rig::Boxes().size());
    int marquees = 0;
    for (const std::string &window : WindowsLeft())
        marquees += window.rfind("gen_Kestrune_MARQUEE ", 0) == 0;
    EXPECT_EQ(1, marquees);
    StopPlugin();
    EXPECT_EQ((HWND)NULL, FindWindowA("gen_Kestrune_MARQUEE", NULL)) << "none outlives the plug-in";
}

} // namespace
