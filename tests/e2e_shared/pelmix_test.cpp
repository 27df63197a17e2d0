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
};

/*
 * The loaded name replaces the master playlist and OK writes it at once;
 * without one the field is emptied, an error box says so, and the file
 * keeps the old name.
 */
TEST_F(Pelmix, LoadsTheMasterPlaylistOrSaysThatNoneIsLoaded)
{
    const struct {
        const char *Ini; /* nullptr: no Pelmix.INI */
        std::string Shown, Written;
        bool Box;
    } cases[] = {
        {"[Options]\r\nFile=C:\\Lists\\pelmix list.m3u\r\n", "C:\\Lists\\pelmix list.m3u", "C:\\Lists\\pelmix list.m3u",
         false},
        {"[Options]\r\nFolder=C:\\Lists\r\n", "", "C:\\old.m3u", true},
        {"[Other]\r\nFile=C:\\Lists\\other.m3u\r\n", "", "C:\\old.m3u", true},
        {nullptr, "", "C:\\old.m3u", true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Shown + (c.Ini ? c.Ini : "no file"));
        DeleteFileA(PelmixIni().c_str());
        if (c.Ini)
            rig::WriteFile(PelmixIni(), c.Ini);
        WriteSettings("AlwaysConfigureOnLaunch=0\r\nUseNowPlaying=0\r\nM3UFileName=C:\\old.m3u\r\n");
        ASSERT_EQ(0, StartPlugin());
        HWND owner = NULL;
        Configure([&](HWND dialog, int) {
            owner = dialog;
            Click(dialog, IDC_LOAD_PELMIX);
            EXPECT_EQ(c.Shown, ItemText(dialog, IDC_M3U_EDIT));
            Press(dialog, IDOK);
        });
        EXPECT_EQ(c.Written, Saved("M3UFileName")) << "at once";
        ASSERT_EQ(c.Box ? 1u : 0u, rig::Boxes().size());
        if (c.Box) {
            EXPECT_EQ(owner, rig::Boxes()[0].Owner);
            EXPECT_EQ("A file has not been loaded into Pelmix", rig::Boxes()[0].Text);
            EXPECT_EQ("Error", rig::Boxes()[0].Caption);
            EXPECT_EQ((UINT)(MB_OK | MB_ICONERROR), rig::Boxes()[0].Flags);
        }
        StopPlugin();
        EXPECT_EQ(c.Written, Saved("M3UFileName")) << "at quit";
        rig::Reset();
    }
}

} // namespace
