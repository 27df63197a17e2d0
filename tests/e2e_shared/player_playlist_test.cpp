/*
 * The stand-in player's WritePlaylist: "winamp.m3u" beside the test
 * program, an extended M3U file with CR LF line ends.  The file is shared by
 * every test program in the folder, hence a test of its own kind.
 */
#include "tests/rig/fixture.h"

namespace
{

class StandInPlaylist : public PluginTest
{
};

TEST_F(StandInPlaylist, WritePlaylistRequestWritesExtendedM3uBesideTheProgram)
{
    EXPECT_EQ(PlayerPlaylistPath(), rig::ExecutableFolder() + "winamp.m3u");
    DeleteFileA(PlayerPlaylistPath().c_str());
    SetPlaylist({"C:\\Music\\a.mp3", "http://radio.example/stream"}, 1);
    Player().Playlist[0].LengthSeconds = 185;

    EXPECT_EQ(SendMessageA(PlayerWindow(), WM_USER, 0, HOST_WRITE_PLAYLIST), 1) << "answers the position";
    EXPECT_EQ(Player().PlaylistWrites, 1);
    EXPECT_EQ(rig::ReadFile(PlayerPlaylistPath()), "#EXTM3U\r\n"
                                                   "#EXTINF:185,Title of C:\\Music\\a.mp3\r\n"
                                                   "C:\\Music\\a.mp3\r\n"
                                                   "#EXTINF:-1,Title of http://radio.example/stream\r\n"
                                                   "http://radio.example/stream\r\n");

    /* Written anew each time: an empty list leaves only the header. */
    Player().Playlist.clear();
    SendMessageA(PlayerWindow(), WM_USER, 0, HOST_WRITE_PLAYLIST);
    EXPECT_EQ(Player().PlaylistWrites, 2);
    EXPECT_EQ(rig::ReadFile(PlayerPlaylistPath()), "#EXTM3U\r\n");
}

} // namespace
