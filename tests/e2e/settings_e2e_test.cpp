/*
 * plugin.ini through the real DLL in the stand-in player: what a first start
 * without a file leaves behind at quit, and that a file with every key set
 * comes back unchanged.
 */
#include "tests/rig/fixture.h"
#include "tests/settings_files.h"

#include <functional>
#include <string>

namespace
{

/*
 * A first start has AlwaysConfigureOnLaunch on, so init runs the modal
 * configuration dialog: the rig presses its OK from inside the dialog's
 * modal loop, so the start returns.
 */
int StartClosingTheConfigurationDialog(const std::function<int()> &start)
{
    rig::OnDialog("Tovk's WinAmp Logging/Play List Utility Plug-In",
                  [](HWND dialog, int) { PostMessageA(dialog, WM_COMMAND, IDOK, 0); });
    return start();
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
