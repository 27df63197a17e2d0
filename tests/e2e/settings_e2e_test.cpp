/*
 * plugin.ini through the real DLL in the stand-in player: what a first start
 * without a file leaves behind at quit, and that a file with every key set
 * comes back unchanged.
 */
#include "tests/rig/fixture.h"

#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace
{

/*
 * What quit writes after a first start: the section, then every key but the
 * five paths, in the order of a new file, as the system writes them
 * ("key=value" and CR LF, an empty face name as "key=").
 */
const char FirstStartFile[] = "[Vellacord_Tovk]\r\n"
                              "UseSignature=1\r\n"
                              "RecordSignatureFileName=1\r\n"
                              "RecordSignatureTitle=1\r\n"
                              "UseLog=1\r\n"
                              "RecordLogFileName=1\r\n"
                              "RecordLogTitle=1\r\n"
                              "UseM3U=1\r\n"
                              "AutoClipboardCopyFileName=0\r\n"
                              "AutoClipboardCopyTitle=0\r\n"
                              "AlwaysConfigureOnLaunch=1\r\n"
                              "Zelt_Mode=0\r\n"
                              "MarqueeBackground=0\r\n"
                              "MarqueeForeground_Title=0\r\n"
                              "Font_Title_Description=0:0:0:0:0:0:0:0:0:0:0:0:0\r\n"
                              "FONT_Title_FaceName=\r\n"
                              "FONT_Title_Display=0\r\n"
                              "MarqueeForeground_Artist=0\r\n"
                              "Font_Artist_Description=0:0:0:0:0:0:0:0:0:0:0:0:0\r\n"
                              "FONT_Artist_FaceName=\r\n"
                              "FONT_Artist_Display=0\r\n"
                              "MarqueeForeground_Album=0\r\n"
                              "Font_Album_Description=0:0:0:0:0:0:0:0:0:0:0:0:0\r\n"
                              "FONT_Album_FaceName=\r\n"
                              "FONT_Album_Display=0\r\n"
                              "MarqueeForeground_Time=0\r\n"
                              "Font_Time_Description=0:0:0:0:0:0:0:0:0:0:0:0:0\r\n"
                              "FONT_Time_FaceName=\r\n"
                              "FONT_Time_Display=0\r\n"
                              "UseNowPlaying=1\r\n";

/*
 * Every key set, in the order and spelling of a new file.  Signature, log
 * and Now Playing are off and the configuration dialog is not opened at
 * init, so nothing but the settings store touches a file.
 */
const char FullFileLines[] = "SignatureFileName=C:\\Mail\\signature.txt\r\n"
                             "UseSignature=0\r\n"
                             "RecordSignatureFileName=0\r\n"
                             "RecordSignatureTitle=0\r\n"
                             "LogFileName=C:\\Logs\\played.log\r\n"
                             "UseLog=0\r\n"
                             "RecordLogFileName=0\r\n"
                             "RecordLogTitle=0\r\n"
                             "M3UFileName=C:\\Music\\master.m3u\r\n"
                             "UseM3U=0\r\n"
                             "AutoClipboardCopyFileName=1\r\n"
                             "AutoClipboardCopyTitle=1\r\n"
                             "AlwaysConfigureOnLaunch=0\r\n"
                             "Zelt_Mode=1\r\n"
                             "MarqueeBackground=16711935\r\n"
                             "MarqueeForeground_Title=255\r\n"
                             "Font_Title_Description=-19:0:0:0:700:0:0:0:0:3:2:1:34\r\n"
                             "FONT_Title_FaceName=Arial\r\n"
                             "FONT_Title_Display=1\r\n"
                             "MarqueeForeground_Artist=65280\r\n"
                             "Font_Artist_Description=-16:7:900:900:400:1:1:1:2:4:5:6:49\r\n"
                             "FONT_Artist_FaceName=Times New Roman\r\n"
                             "FONT_Artist_Display=1\r\n"
                             "MarqueeForeground_Album=4294967295\r\n"
                             "Font_Album_Description=12:-3:-900:0:1000:255:0:255:255:255:255:255:255\r\n"
                             "FONT_Album_FaceName=Courier New\r\n"
                             "FONT_Album_Display=0\r\n"
                             "MarqueeForeground_Time=8421504\r\n"
                             "Font_Time_Description=2147483647:-2147483648:0:0:0:0:0:0:0:0:0:0:0\r\n"
                             "FONT_Time_FaceName=DejaVu Sans Mono\r\n"
                             "FONT_Time_Display=1\r\n"
                             "FavoritesDirectory=D:\\Favourite Songs\r\n"
                             "UseNowPlaying=0\r\n"
                             "SnapShotDirectory=C:\\Music\\Snapshots\r\n";

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
    ASSERT_EQ(written, std::string("[Vellacord_Tovk]\r\n") + FullFileLines);

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
