/*
 * "Load Pelmix" in the configuration dialog: the master playlist comes
 * from the other program's Pelmix.INI in the Windows folder, which is
 * machine-wide state.
 */
#include "tests/dialog_tests.h"

namespace
{

class Pelmix : public DialogTest
{
  protected:
    void TearDown() override
    {
        DeleteFileA(PelmixIni().c_str());
        DialogTest::TearDown();
    }
    static std::string PelmixIni()
    {
        char folder[MAX_PATH];
        GetWindowsDirectoryA(folder, sizeof folder);
        return std::string(folder) + "\\Pelmix.INI";
    }
    void LoadAndClose(const char *ini, const std::string &loaded, const std::string &old);
};

/* Pelmix.INI without the key, with it in another section, or no such file (nullptr). */
const char *const Unloaded[] = {"[Options]\r\nFolder=C:\\Lists\r\n", "[Other]\r\nFile=C:\\Lists\\other.m3u\r\n",
                                nullptr};

/*
 * The loaded name replaces the master playlist and OK writes it at once;
 * without one the field is emptied, an error box says so, and the file
 * keeps the old name (old; "<none>": no name).
 */
void Pelmix::LoadAndClose(const char *ini, const std::string &loaded, const std::string &old)
{
    SCOPED_TRACE(ini ? ini : "no file");
    DeleteFileA(PelmixIni().c_str());
    if (ini)
        rig::WriteFile(PelmixIni(), ini);
    WriteSettings("AlwaysConfigureOnLaunch=0\r\nUseNowPlaying=0\r\n" +
                  (old == "<none>" ? std::string() : "M3UFileName=" + old + "\r\n"));
    ASSERT_EQ(0, StartPlugin());
    HWND owner = NULL;
    Configure([&](HWND dialog, int) {
        owner = dialog;
        Click(dialog, IDC_LOAD_PELMIX);
        EXPECT_EQ(loaded, ItemText(dialog, IDC_M3U_EDIT));
        Press(dialog, IDOK);
    });
    const std::string written = loaded.empty() ? old : loaded;
    EXPECT_EQ(written, Saved("M3UFileName")) << "at once";
    ASSERT_EQ(loaded.empty() ? 1u : 0u, rig::Boxes().size());
    if (loaded.empty()) {
        EXPECT_EQ(owner, rig::Boxes()[0].Owner);
        EXPECT_EQ("A file has not been loaded into Pelmix", rig::Boxes()[0].Text);
        EXPECT_EQ("Error", rig::Boxes()[0].Caption);
        EXPECT_EQ((UINT)(MB_OK | MB_ICONERROR), rig::Boxes()[0].Flags);
    }
    StopPlugin();
    EXPECT_EQ(written, Saved("M3UFileName")) << "at quit";
    rig::Reset();
}

/* Without a master playlist the dialog shows no path: this runs on every build. */
TEST_F(Pelmix, SaysThatNoneIsLoaded)
{
    for (const char *ini : Unloaded)
        LoadAndClose(ini, "", "<none>");
}

TEST_F(Pelmix, LoadsTheMasterPlaylistOrSaysThatNoneIsLoaded)
{
    SKIP_WITHOUT_TEXT_MEASURING();
    LoadAndClose("[Options]\r\nFile=C:\\Lists\\pelmix list.m3u\r\n", "C:\\Lists\\pelmix list.m3u", "C:\\old.m3u");
    for (const char *ini : Unloaded)
        LoadAndClose(ini, "", "C:\\old.m3u");
}

} // namespace
