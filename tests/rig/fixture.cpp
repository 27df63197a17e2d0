/*
 * The end-to-end fixture: each test gets its own empty folder under the test
 * program's folder, a shown player window and a clean rig; the real DLL is
 * copied into the folder and run by the player.
 */
#include "tests/rig/fixture.h"

static std::string TestFolderName()
{
    const ::testing::TestInfo *test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(test->test_suite_name()) + "." + test->name();
    for (char &c : name)
        if (c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' || c == '|')
            c = '_';
    return name;
}

std::string PluginTest::DllPath() { return rig::BuildPath(KESTRUNE_DLL_UNDER_TEST); }

/* The bytes of the DLL under test, read once: every copy a test loads must be the same. */
static const std::string &DllBytes()
{
    static const std::string bytes = rig::ReadFile(rig::BuildPath(KESTRUNE_DLL_UNDER_TEST));
    return bytes;
}

void PluginTest::SetUp()
{
    folder_ = rig::ExecutableFolder() + "tmp\\" + TestFolderName() + "\\";
    rig::RemoveTree(folder_);
    rig::MakeFolders(PluginsFolder());
    ASSERT_TRUE(CreateDirectoryA(PluginsFolder().c_str(), NULL) || GetLastError() == ERROR_ALREADY_EXISTS);
    rig::Reset();
    ASSERT_NE(PlayerCreateWindow(), (HWND)NULL);
    Player().Version = 0;
}

/*
 * The test's box and dialog callbacks usually refer to the test body's
 * locals, gone by now: they are dropped before quit runs, so boxes that
 * quit shows are only recorded and answered.  A dialog that the rig had to
 * end because the test left it open fails the test.
 */
void PluginTest::TearDown()
{
    rig::OnBox(nullptr);
    rig::UseRealBoxes(false);
    rig::ForgetDialogHandlers();
    if (running_)
        StopPlugin();
    PlayerDestroyWindow();
    EXPECT_EQ(std::vector<std::string>(), rig::ForcedDialogs()) << "dialogs left open, ended by the rig";
}

void PluginTest::WriteSettings(const std::string &lines)
{
    rig::WriteFile(PluginsFolder() + "plugin.ini", "[Vellacord_Tovk]\r\n" + lines);
}

int PluginTest::StartPlugin(const std::string &fileName) { return StartPluginIn(PluginsFolder(), fileName); }

int PluginTest::StartPluginIn(const std::string &folder, const std::string &fileName)
{
    std::string target = folder;
    if (!target.empty() && target.back() != '\\')
        target += '\\';
    rig::MakeFolders(target);
    if (!fileName.empty() && !CopyFileA(DllPath().c_str(), (target + fileName).c_str(), FALSE)) {
        ADD_FAILURE() << "cannot copy " << DllPath() << " to " << target + fileName << ": error " << GetLastError();
        return -1;
    }
    HMODULE module = PlayerLoadPlugin(target);
    if (!module) {
        ADD_FAILURE() << "the player cannot load a gen_*.dll from " << target << ": error " << GetLastError();
        return -1;
    }
    /* The file the player loaded, copied now or earlier, is byte for byte the DLL under test. */
    char loaded[MAX_PATH * 4];
    DWORD length = GetModuleFileNameA(module, loaded, sizeof loaded);
    if (DllBytes().empty() || rig::ReadFile(std::string(loaded, length < sizeof loaded ? length : 0)) != DllBytes()) {
        ADD_FAILURE() << loaded << " is not the same file as " << DllPath();
        PlayerStopPlugin();
        return -1;
    }
    rig::Attach(module);
    running_ = true;
    return PlayerStartPlugin();
}

void PluginTest::StopPlugin()
{
    if (running_)
        PlayerStopPlugin();
    running_ = false;
    PlayerPump();
}

LRESULT PluginTest::Command(WPARAM command) { return SendMessageA(PlayerWindow(), WM_COMMAND, command, 0); }

void PluginTest::SetPlaylist(const std::vector<std::string> &files, int position)
{
    Player().Playlist.clear();
    for (const std::string &file : files) {
        PlayerEntry entry;
        entry.File = file;
        entry.Title = "Title of " + file;
        Player().Playlist.push_back(entry);
    }
    Player().Position = position;
}
