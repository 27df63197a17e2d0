/*
 * plugin.ini through the real DLL in the stand-in player: what a first start
 * without a file leaves behind at quit, that a file with every key set
 * comes back unchanged, and where the file lives when the DLL's folder
 * cannot be written.
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

/* ---- where the settings live --------------------------------------------- */

/*
 * plugin.ini beside the DLL held open by something that refuses writers, as
 * a file under Program Files is for a standard user (the tests run as root,
 * which ignores permission bits).
 */
const char QuietStartLine[] = "AlwaysConfigureOnLaunch=0\r\n";

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

class HeldFile
{
  public:
    explicit HeldFile(const std::string &path)
        : file_(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL))
    {
    }
    ~HeldFile() { CloseHandle(file_); }
    bool Held() const { return file_ != INVALID_HANDLE_VALUE; }

  private:
    HANDLE file_;
};

class SettingsPlace : public PluginTest
{
  protected:
    std::string BesideDll() const { return PluginsFolder() + "plugin.ini"; }
    std::string PlayerFolder() const { return Path("Player Settings"); }
    std::string InPlayerFolder() const { return PlayerFolder() + "\\Plugins\\plugin.ini"; }
    std::string Value(const std::string &file, const char *key) const
    {
        char value[MAX_PATH];
        GetPrivateProfileStringA("Vellacord_Tovk", key, "<none>", value, sizeof value, file.c_str());
        return value;
    }
    bool AskedForFolder() const
    {
        for (const PlayerMessage &request : Player().Requests)
            if (request.LParam == HOST_GET_INI_DIRECTORY)
                return true;
        return false;
    }
};

/*
 * Beside the DLL cannot be written: the settings go to the player's
 * folder (its Plugins folder made), read at first from the file beside the
 * DLL (an installer's defaults), from then on from their own; the
 * configuration dialog's at-once write goes there too, and nothing is
 * written beside the DLL.
 */
TEST_F(SettingsPlace, RoundTripThroughThePlayersFolderWhenBesideTheDllCannotBeWritten)
{
    WriteSettings(QuietStartLine + std::string("Zelt_Mode=1\r\nM3UFileName=C:\\Lists\\master.m3u\r\n"));
    const std::string defaults = rig::ReadFile(BesideDll());
    HeldFile held(BesideDll());
    ASSERT_TRUE(held.Held());
    Player().IniDirectory = PlayerFolder();
    CreateDirectoryA(PlayerFolder().c_str(), NULL);

    ASSERT_EQ(StartPlugin(), 0);
    EXPECT_TRUE(AskedForFolder());
    Command(IDC_SWITCH_VIEW); /* UseNowPlaying 1 -> 0, kept in memory until quit */
    rig::OnDialog("Tovk's WinAmp Logging/Play List Utility Plug-In",
                  [](HWND dialog, int) { PostMessageA(dialog, WM_COMMAND, IDOK, 0); });
    Command(ID_CONFIGURE);
    EXPECT_EQ("C:\\Lists\\master.m3u", Value(InPlayerFolder(), "M3UFileName")) << "OK writes the same file";
    StopPlugin();
    EXPECT_EQ("1", Value(InPlayerFolder(), "Zelt_Mode")) << "the defaults beside the DLL were loaded";
    EXPECT_EQ("0", Value(InPlayerFolder(), "UseNowPlaying"));
    EXPECT_EQ(defaults, rig::ReadFile(BesideDll()));
    EXPECT_TRUE(rig::Boxes().empty()) << "the save succeeded: nothing to say";

    ASSERT_EQ(StartPlugin(), 0);
    Command(IDC_SWITCH_VIEW); /* 0 -> 1 only if the second start read back 0 */
    StopPlugin();
    EXPECT_EQ("1", Value(InPlayerFolder(), "UseNowPlaying")) << "read back from the player's folder";
    EXPECT_EQ(defaults, rig::ReadFile(BesideDll()));
}

/* Beside the DLL can be written: the same file as ever, and the player is not even asked. */
TEST_F(SettingsPlace, BesideTheDllWhenItCanBeWritten)
{
    WriteSettings(QuietStartLine);
    Player().IniDirectory = PlayerFolder();
    ASSERT_EQ(StartPlugin(), 0);
    StopPlugin();
    EXPECT_FALSE(AskedForFolder());
    EXPECT_EQ("0", Value(BesideDll(), "AlwaysConfigureOnLaunch"));
    EXPECT_EQ("1", Value(BesideDll(), "UseNowPlaying")) << "saved beside the DLL";
    EXPECT_FALSE(rig::FileExists(PlayerFolder())) << "nothing made in the player's folder";
}

/*
 * Neither place can be written: quit says so once, in a box owned by the
 * player's window that names the file and gives the system's reason.
 */
TEST_F(SettingsPlace, NeitherPlaceWritableIsSaidOnceAtQuit)
{
    struct Case {
        const char *Name;
        bool PlayerNamesFolder;
    } cases[] = {{"an older player names no folder", false}, {"the player's folder is held too", true}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        rig::Reset();
        WriteSettings(QuietStartLine);
        HeldFile held(BesideDll());
        Player().IniDirectory = c.PlayerNamesFolder ? PlayerFolder() : "";
        rig::MakeFolders(PlayerFolder() + "\\Plugins\\");
        rig::WriteFile(InPlayerFolder(), std::string("[Vellacord_Tovk]\r\n") + QuietStartLine);
        HeldFile heldToo(InPlayerFolder());
        ASSERT_EQ(StartPlugin(), 0);
        StopPlugin();
        const std::string file = c.PlayerNamesFolder ? InPlayerFolder() : BesideDll();
        ASSERT_EQ(1u, rig::Boxes().size());
        const rig::Box &box = rig::Boxes()[0];
        EXPECT_EQ(PlayerWindow(), box.Owner);
        EXPECT_EQ("Settings not saved", box.Caption);
        EXPECT_EQ((UINT)(MB_OK | MB_ICONERROR), box.Flags);
        EXPECT_EQ("The settings could not be saved to " + file + ".\r\n\r\n" + SystemText(ERROR_SHARING_VIOLATION),
                  box.Text);
    }
}

} // namespace
