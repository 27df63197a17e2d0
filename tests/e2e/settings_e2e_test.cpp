/*
 * plugin.ini through the real DLL in the stand-in player: what a first start
 * without a file leaves behind at quit, and that a file with every key set
 * comes back unchanged.
 */
#include "tests/rig/fixture.h"
#include "tests/settings_files.h"

#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace
{

const char ConfigurationCaption[] = "Tovk's WinAmp Logging/Play List Utility Plug-In";

struct DialogSearch {
    HWND Found;
};

BOOL CALLBACK FindConfigurationDialog(HWND window, LPARAM parameter)
{
    char className[16], caption[64];
    GetClassNameA(window, className, sizeof className);
    GetWindowTextA(window, caption, sizeof caption);
    if (IsWindowVisible(window) && lstrcmpA(className, "#32770") == 0 && lstrcmpA(caption, ConfigurationCaption) == 0) {
        reinterpret_cast<DialogSearch *>(parameter)->Found = window;
        return FALSE;
    }
    return TRUE;
}

/*
 * A first start has AlwaysConfigureOnLaunch on, so init runs the modal
 * configuration dialog.  While init runs, a helper thread closes that
 * dialog with OK whenever it is up, so the start returns.
 */
int StartClosingTheConfigurationDialog(const std::function<int()> &start)
{
    DWORD playerThread = GetCurrentThreadId();
    std::atomic<bool> done(false);
    std::thread closer([&] {
        while (!done) {
            DialogSearch search = {NULL};
            EnumThreadWindows(playerThread, FindConfigurationDialog, reinterpret_cast<LPARAM>(&search));
            if (search.Found)
                PostMessageA(search.Found, WM_COMMAND, IDOK, 0);
            Sleep(50);
        }
    });
    int result = start();
    done = true;
    closer.join();
    return result;
}

using SettingsFile = PluginTest;

TEST_F(SettingsFile, FirstStartWithoutPluginIniSavesTheDefaultsAtQuit)
{
    const std::string ini = PluginsFolder() + "plugin.ini";
    ASSERT_FALSE(rig::FileExists(ini));

    EXPECT_EQ(StartClosingTheConfigurationDialog([this] { return StartPlugin(); }), 0);
    EXPECT_FALSE(rig::FileExists(ini)) << "loading creates no file";
    StopPlugin();

    EXPECT_EQ(rig::ReadFile(ini), FirstStartFile);
}

TEST_F(SettingsFile, EveryKeySetIsUnchangedAfterStartAndQuit)
{
    const std::string ini = PluginsFolder() + "plugin.ini";
    WriteSettings(FullFileLines);
    const std::string written = rig::ReadFile(ini);
    ASSERT_EQ(written, std::string(SettingsSection) + FullFileLines);

    EXPECT_EQ(StartPlugin(), 0);
    StopPlugin();

    EXPECT_EQ(rig::ReadFile(ini), written);
}

TEST_F(SettingsFile, EveryKeySetIsWrittenBackFromMemoryAlone)
{
    /* The file is gone by quit: what quit writes comes from what init loaded. */
    const std::string ini = PluginsFolder() + "plugin.ini";
    WriteSettings(FullFileLines);
    const std::string written = rig::ReadFile(ini);

    EXPECT_EQ(StartPlugin(), 0);
    ASSERT_TRUE(DeleteFileA(ini.c_str()));
    StopPlugin();

    EXPECT_EQ(rig::ReadFile(ini), written);
}

} // namespace
