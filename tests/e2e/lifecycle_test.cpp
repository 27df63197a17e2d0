/*
 * The plug-in's life in the player: the record it hands over, what init
 * starts (poll timer, tray icon), what quit stops, the failed timer's error
 * report, where plugin.ini goes, and that nothing of the DLL is left behind
 * on the player's window once it is unloaded.
 */
#include "tests/rig/fixture.h"

#include <shellapi.h>

#include <string.h>

namespace
{

const char Description[] = "Tovk's WinAmp Email Vellacord";
const char QuietStart[] = "AlwaysConfigureOnLaunch=0\r\n";

/* Without plugin.ini the configuration dialog opens at init: it is closed with OK, which writes no file. */
void CloseConfigurationWithOk()
{
    rig::OnDialog("Tovk's WinAmp Logging/Play List Utility Plug-In",
                  [](HWND dialog, int) { PostMessageA(dialog, WM_COMMAND, IDOK, 0); });
}

bool InsideImage(HMODULE module, const void *address)
{
    const BYTE *base = (const BYTE *)module;
    const IMAGE_NT_HEADERS *nt = (const IMAGE_NT_HEADERS *)(base + ((const IMAGE_DOS_HEADER *)base)->e_lfanew);
    return (const BYTE *)address >= base && (const BYTE *)address < base + nt->OptionalHeader.SizeOfImage;
}

std::string SystemText(DWORD code)
{
    char *text = NULL;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL,
                   code, 0x0400, (LPSTR)&text, 0, NULL);
    std::string result = text ? text : "";
    if (text)
        LocalFree(text);
    return result;
}

/* Where texts follow one another directly in the debugger output; -1 when they do not. */
int FindSequence(const std::vector<std::string> &output, const std::vector<std::string> &texts)
{
    for (size_t i = 0; i + texts.size() <= output.size(); i++)
        if (std::equal(texts.begin(), texts.end(), output.begin() + i))
            return (int)i;
    return -1;
}

class Lifecycle : public PluginTest
{
};

TEST_F(Lifecycle, RecordHandedOverAndFilledByThePlayer)
{
    WriteSettings(QuietStart);
    EXPECT_EQ(StartPlugin(), 0) << "init reports success";
    PlayerPluginRecord *record = PlayerRecord();
    ASSERT_NE(record, nullptr);
    HMODULE module = PlayerPluginModule();
    EXPECT_EQ(record->Version, 16);
    ASSERT_NE(record->Description, nullptr);
    EXPECT_EQ(memcmp(record->Description, Description, sizeof Description), 0)
        << "description: \"" << record->Description << "\"";
    EXPECT_TRUE(InsideImage(module, record->Description));
    for (const void *entry : {(const void *)record->Init, (const void *)record->Config, (const void *)record->Quit}) {
        ASSERT_NE(entry, nullptr);
        EXPECT_TRUE(InsideImage(module, entry));
    }
    EXPECT_TRUE(InsideImage(module, record));
    EXPECT_EQ(record->HostMainWindow, PlayerWindow());
    EXPECT_EQ(record->ModuleInstance, module);

    /* Asking again gives the same record. */
    typedef PlayerPluginRecord *(*GetRecord)(void);
    GetRecord again = (GetRecord)(void *)GetProcAddress(module, "winampGetGeneralPurposePlugin");
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again(), record);
}

TEST_F(Lifecycle, TrayIconAddedAtInitAndTheSameRemovedAtQuit)
{
    WriteSettings(QuietStart);
    ASSERT_EQ(StartPlugin(), 0);
    ASSERT_EQ(rig::TrayCalls().size(), 1u);
    const rig::TrayCall add = rig::TrayCalls()[0];
    EXPECT_EQ(add.Action, (DWORD)NIM_ADD);
    EXPECT_EQ(add.Size, (DWORD)NOTIFYICONDATAA_V1_SIZE);
    EXPECT_EQ(add.Window, PlayerWindow());
    EXPECT_EQ(add.Id, 1381u);
    EXPECT_EQ(add.Flags, (UINT)(NIF_MESSAGE | NIF_ICON));
    EXPECT_EQ(add.Flags, 3u);
    EXPECT_EQ(add.CallbackMessage, 1381u);

    StopPlugin();
    ASSERT_EQ(rig::TrayCalls().size(), 2u);
    const rig::TrayCall remove = rig::TrayCalls()[1];
    EXPECT_EQ(remove.Action, (DWORD)NIM_DELETE);
    EXPECT_EQ(remove.Size, (DWORD)NOTIFYICONDATAA_V1_SIZE);
    EXPECT_EQ(remove.Window, add.Window);
    EXPECT_EQ(remove.Id, add.Id);
    EXPECT_TRUE(remove.Result) << "the system knew the icon that was removed";
}

TEST_F(Lifecycle, TrayIconIsTheDllsIconResource103)
{
    SKIP_WITHOUT_ICON_RESOURCES();
    WriteSettings(QuietStart);
    ASSERT_EQ(StartPlugin(), 0);
    ASSERT_EQ(rig::TrayCalls().size(), 1u);
    const HICON icon = rig::TrayCalls()[0].Icon;
    EXPECT_NE(icon, (HICON)NULL);
    EXPECT_EQ(icon, LoadIconA(PlayerPluginModule(), MAKEINTRESOURCEA(103))) << "icon resource 103 of the DLL";
    ICONINFO info;
    ASSERT_TRUE(GetIconInfo(icon, &info)) << "the tray icon is a real icon";
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
}

TEST_F(Lifecycle, PollTimerSetAtInitAndKilledAtQuit)
{
    WriteSettings(QuietStart);
    ASSERT_EQ(StartPlugin(), 0);
    ASSERT_EQ(rig::Timers().size(), 1u);
    const rig::TimerRecord timer = rig::Timers()[0];
    EXPECT_EQ(timer.Window, (HWND)NULL);
    EXPECT_EQ(timer.RequestedId, 0u);
    EXPECT_EQ(timer.Period, 1000u);
    EXPECT_NE(timer.Callback, nullptr);
    EXPECT_TRUE(InsideImage(PlayerPluginModule(), (const void *)timer.Callback));
    EXPECT_NE(timer.Id, 0u);
    EXPECT_FALSE(timer.Killed);
    EXPECT_TRUE(rig::Boxes().empty());

    StopPlugin();
    ASSERT_EQ(rig::Timers().size(), 1u) << "quit starts no timer";
    EXPECT_TRUE(rig::Timers()[0].Killed);
}

TEST_F(Lifecycle, FailedPollTimerReportsOnceAndTheRestStillRuns)
{
    const DWORD code = ERROR_NOT_ENOUGH_MEMORY;
    const std::string text = SystemText(code);
    ASSERT_FALSE(text.empty()) << "the system has a text for error " << code;
    const std::string caption = "Error 8 lookup from line 694 of gen_Kestrune.";

    const std::string log = Path("log.txt"), signature = Path("sig.txt");
    rig::WriteFile(signature, "");
    WriteSettings(std::string(QuietStart) + "UseLog=1\r\nLogFileName=" + log +
                  "\r\nUseSignature=1\r\nSignatureFileName=" + signature + "\r\n");
    rig::FailNextSetTimer(code);
    EXPECT_EQ(StartPlugin(), 0) << "init reports success after a failed timer";

    ASSERT_EQ(rig::Boxes().size(), 1u);
    const rig::Box box = rig::Boxes()[0];
    EXPECT_EQ(box.Owner, (HWND)NULL);
    EXPECT_EQ(box.Caption, caption);
    EXPECT_EQ(box.Text, text);
    EXPECT_EQ(box.Flags, (UINT)(MB_ICONERROR | MB_OK));
    EXPECT_GE(FindSequence(rig::DebugOutput(), {caption, text, "\n"}), 0)
        << "debugger output: caption, the system's text and a newline, in this order";

    /* The tray icon comes after the timer in init; it is still added. */
    ASSERT_EQ(rig::TrayCalls().size(), 1u);
    EXPECT_EQ(rig::TrayCalls()[0].Action, (DWORD)NIM_ADD);

    rig::WriteFile(signature, "written while running");
    StopPlugin();
    EXPECT_EQ(rig::Boxes().size(), 1u) << "quit reports nothing";
    ASSERT_EQ(rig::TrayCalls().size(), 2u) << "quit still removes the icon";
    EXPECT_EQ(rig::TrayCalls()[1].Action, (DWORD)NIM_DELETE);
    EXPECT_TRUE(rig::FileExists(PluginsFolder() + "plugin.ini")) << "quit still saves the settings";
    std::string logged = rig::ReadFile(log);
    EXPECT_NE(logged.find("WinAmp\r\n\r\nWinAmp started\r\n\r\n\f"), std::string::npos) << logged;
    const std::string quitEntry = " WinAmp\r\n\r\nWinAmp quit\r\n\r\n";
    EXPECT_TRUE(logged.size() > quitEntry.size() &&
                logged.compare(logged.size() - quitEntry.size(), quitEntry.size(), quitEntry) == 0)
        << "quit still logs: " << logged;
    EXPECT_TRUE(rig::FileExists(signature));
    EXPECT_EQ(rig::ReadFile(signature), "") << "quit still empties the signature";
}

TEST_F(Lifecycle, FailedPollTimerShownInARealBox)
{
    const DWORD code = ERROR_NOT_ENOUGH_MEMORY;
    WriteSettings(QuietStart);
    rig::UseRealBoxes(true);
    rig::FailNextSetTimer(code);
    EXPECT_EQ(StartPlugin(), 0);
    ASSERT_EQ(rig::Boxes().size(), 1u);
    EXPECT_EQ(rig::Boxes()[0].Caption, "Error 8 lookup from line 694 of gen_Kestrune.");
    EXPECT_EQ(rig::Boxes()[0].Text, SystemText(code));
    EXPECT_EQ(rig::Boxes()[0].Owner, (HWND)NULL);
}

/*
 * The error box for codes the system describes differently: a text with
 * insert markers is shown as it stands, never filled from arguments that do
 * not exist; a code without any text gets the plug-in's own sentence.
 */
TEST_F(Lifecycle, FailedPollTimerTextsWithoutArguments)
{
    struct Case {
        DWORD Code;
        std::string Text;
    };
    const std::string withInserts = SystemText(ERROR_MR_MID_NOT_FOUND);
    ASSERT_NE(withInserts.find("%1"), std::string::npos) << "a system text with an insert: " << withInserts;
    const Case cases[] = {
        {ERROR_MR_MID_NOT_FOUND, withInserts},
        {0x2000FFFFu, "No description is available for this error."},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Code);
        WriteSettings(QuietStart);
        rig::Reset();
        rig::FailNextSetTimer(c.Code);
        EXPECT_EQ(StartPlugin(), 0);
        ASSERT_EQ(rig::Boxes().size(), 1u);
        EXPECT_EQ(rig::Boxes()[0].Text, c.Text);
        char caption[80];
        snprintf(caption, sizeof caption, "Error %u lookup from line 694 of gen_Kestrune.", (unsigned)c.Code);
        EXPECT_EQ(rig::Boxes()[0].Caption, caption);
        EXPECT_GE(FindSequence(rig::DebugOutput(), {caption, c.Text, "\n"}), 0);
        StopPlugin();
    }
}

class SettingsPath : public PluginTest
{
};

TEST_F(SettingsPath, PluginIniWrittenBesideTheDllAtQuit)
{
    CloseConfigurationWithOk();
    ASSERT_EQ(StartPlugin(), 0);
    EXPECT_FALSE(rig::FileExists(PluginsFolder() + "plugin.ini")) << "nothing is written before quit";
    StopPlugin();
    std::string ini = rig::ReadFile(PluginsFolder() + "plugin.ini");
    EXPECT_NE(ini.find("[Vellacord_Tovk]"), std::string::npos) << ini;
    EXPECT_FALSE(rig::FileExists(Folder() + "plugin.ini"));
}

/*
 * The DLL's own path fits in a path buffer (259 characters), but its folder
 * plus "plugin.ini" would be one character too long: no settings path, no
 * file anywhere, and no crash.
 */
TEST_F(SettingsPath, FolderTooLongForPluginIniSavesNothing)
{
    std::string folder = Folder() + "Plugins\\";
    const size_t wanted = 250; /* with its backslash: 250 + "gen_K.dll" = 259, 250 + "plugin.ini" = 260 */
    ASSERT_LT(folder.size() + 2, wanted);
    std::string padding(wanted - folder.size() - 1, 'p');
    if (padding.size() > 200) {
        folder += std::string(100, 'q') + "\\";
        padding.resize(wanted - folder.size() - 1);
    }
    folder += padding + "\\";
    ASSERT_EQ(folder.size(), wanted);

    CloseConfigurationWithOk();
    EXPECT_EQ(StartPluginIn(folder, "gen_K.dll"), 0);
    char moduleName[MAX_PATH + 1];
    DWORD length = GetModuleFileNameA(PlayerPluginModule(), moduleName, sizeof moduleName);
    EXPECT_EQ(length, 259u) << moduleName;
    StopPlugin();

    for (const std::string &place : {folder, PluginsFolder(), Folder(), rig::ExecutableFolder(),
                                     std::string("C:\\windows\\"), std::string("C:\\")})
        EXPECT_FALSE(rig::FileExists(place + "plugin.ini")) << place;
    char current[MAX_PATH];
    GetCurrentDirectoryA(sizeof current, current);
    EXPECT_FALSE(rig::FileExists(std::string(current) + "\\plugin.ini")) << current;
}

class Unload : public PluginTest
{
};

/*
 * After quit and FreeLibrary nothing of the DLL may remain reachable from
 * the player's window: a message that still reached a hook in the freed
 * image would crash the player.
 */
TEST_F(Unload, NothingOfThePluginIsLeftOnThePlayersWindow)
{
    WriteSettings(QuietStart);
    SetPlaylist({"C:\\Music\\one.mp3", "C:\\Music\\two.mp3"});
    ASSERT_EQ(StartPlugin(), 0);
    HMODULE module = PlayerPluginModule();
    char name[MAX_PATH];
    ASSERT_TRUE(GetModuleFileNameA(module, name, sizeof name));
    StopPlugin();

    EXPECT_EQ(GetModuleHandleA(name), (HMODULE)NULL) << "the DLL is unloaded";
    EXPECT_EQ(GetModuleHandleA("gen_Kestrune.dll"), (HMODULE)NULL);
    EXPECT_EQ((WNDPROC)GetWindowLongPtrA(PlayerWindow(), GWLP_WNDPROC), PlayerWindowProc)
        << "the player's window has its own procedure back";

    Player().Received.clear();
    HWND window = PlayerWindow();
    for (WPARAM command = ID_PLAY; command <= ID_MARQUEE_CHOOSE_FONT; command++)
        SendMessageA(window, WM_COMMAND, command, 0);
    for (WPARAM command : {IDC_CLEAR_PLAYLIST, IDC_SWITCH_VIEW, IDC_CUE_SHEET, IDC_FONT_TITLE, IDC_BACKGROUND,
                           IDC_FONT_ARTIST, IDC_FONT_ALBUM, IDC_FONT_TIME})
        PostMessageA(window, WM_COMMAND, command, 0);
    for (LPARAM mouse : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_MOUSEMOVE})
        SendMessageA(window, WM_TRAY_NOTIFY, TRAY_ICON_ID, mouse);
    SendMessageA(window, WM_INITMENU, 0, 0);
    SendMessageA(window, WM_INITMENUPOPUP, 0, 0);
    SendMessageA(window, WM_TIMER, 1, 0);
    PostMessageA(window, WM_TIMER, 2, 0);
    PlayerPumpFor(300);

    EXPECT_TRUE(IsWindow(window));
    /* Every command reached the player's own procedure, none was swallowed. */
    EXPECT_EQ(Player().Received.size(), (size_t)(ID_MARQUEE_CHOOSE_FONT - ID_PLAY + 1 + 8));
}

} // namespace
