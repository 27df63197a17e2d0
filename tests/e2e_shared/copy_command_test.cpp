/*
 * The Copy Title and Copy File Name commands with the real DLL: the
 * current track's texts on the clipboard, placed by the player's window.
 * The clipboard is machine-wide, so these run one at a time.
 */
#include "tests/rig/fixture.h"

namespace
{

class CopyCommandTest : public PluginTest
{
  protected:
    void Start()
    {
        WriteSettings("AlwaysConfigureOnLaunch=0\r\nUseNowPlaying=0\r\n"
                      "AutoClipboardCopyFileName=0\r\nAutoClipboardCopyTitle=0\r\n");
        ASSERT_EQ(StartPlugin(), 0);
    }
};

TEST_F(CopyCommandTest, TitleAndFileNameOfTheCurrentTrack)
{
    Start();
    SetPlaylist({"C:\\Music\\100% %s.mp3"});
    rig::Tick();
    ASSERT_TRUE(rig::PutClipboardText("before"));
    Player().Received.clear();
    EXPECT_EQ(1, Command(ID_COPY_TITLE));
    EXPECT_EQ("Title of C:\\Music\\100% %s.mp3", rig::ReadClipboardText());
    EXPECT_EQ(PlayerWindow(), GetClipboardOwner());
    EXPECT_EQ(1, Command(ID_COPY_FILE_NAME));
    EXPECT_EQ("C:\\Music\\100% %s.mp3", rig::ReadClipboardText());
    EXPECT_TRUE(Player().Received.empty()) << "consumed";
}

TEST_F(CopyCommandTest, EmptyTextsGoToTheClipboardAsEmptyStrings)
{
    Start();
    ASSERT_TRUE(rig::PutClipboardText("before"));
    EXPECT_EQ(1, Command(ID_COPY_FILE_NAME));
    EXPECT_EQ("", rig::ReadClipboardText()) << "no track seen yet";
    SetPlaylist({"C:\\Music\\untitled.mp3"});
    Player().Playlist[0].NoTitle = true;
    rig::Tick();
    ASSERT_TRUE(rig::PutClipboardText("before"));
    EXPECT_EQ(1, Command(ID_COPY_TITLE));
    EXPECT_EQ("", rig::ReadClipboardText());
}

} // namespace
