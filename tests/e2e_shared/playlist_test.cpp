/*
 * The playlist tools with the real DLL in the stand-in player: the master
 * playlist byte for byte, snapshots and backups with their dated names,
 * clearing, the read-out of the player's playlist, and every box they show.
 * They use the player's winamp.m3u beside the test program, shared by every
 * test program of the build, so they run one at a time.
 */
#include "tests/rig/fixture.h"

#include <ctype.h>
#include <functional>
#include <stdio.h>
#include <string.h>

namespace
{

const char QuietStart[] = "AlwaysConfigureOnLaunch=0\r\nUseNowPlaying=0\r\n";
const char ConfirmReplace[] = "Are you sure you wish to replace the master playlist with the current WinAmp playlist?";
const char ConfirmClear[] = "Are you sure you wish to clear the user playlist?";

std::string StampOf(const SYSTEMTIME &t)
{
    char text[32];
    snprintf(text, sizeof text, "%04u%02u%02u%02u%02u%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
    return text;
}

std::string Now()
{
    SYSTEMTIME t;
    GetLocalTime(&t);
    return StampOf(t);
}

/* Names of the files in a folder, in the order the system lists them. */
std::vector<std::string> FilesIn(const std::string &folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

bool IsStampName(const std::string &name, const std::string &extension)
{
    if (name.size() != 14 + extension.size() || name.substr(14) != extension)
        return false;
    for (size_t i = 0; i < 14; i++)
        if (!isdigit((unsigned char)name[i]))
            return false;
    return true;
}

class PlaylistTest : public PluginTest
{
  protected:
    void Start(const std::string &settings)
    {
        WriteSettings(QuietStart + settings);
        ASSERT_EQ(StartPlugin(), 0);
        DeleteFileA(PlayerPlaylistPath().c_str());
        Forget();
    }
    void Forget()
    {
        rig::Boxes().clear();
        Player().PlaylistWrites = 0;
        Player().Received.clear();
    }
    /* Makes the poller take this file as the current track. */
    void PlayTrack(const std::string &file, int lengthSeconds, bool noTitle = false)
    {
        SetPlaylist({file});
        Player().Playlist[0].NoTitle = noTitle;
        Player().LengthSeconds = lengthSeconds;
        rig::Tick();
    }
    /* A playlist of the player's and the file it writes for it. */
    std::string PlayerList(const std::vector<std::string> &files)
    {
        SetPlaylist(files);
        PlayerWritePlaylist();
        std::string text = rig::ReadFile(PlayerPlaylistPath());
        DeleteFileA(PlayerPlaylistPath().c_str());
        return text;
    }
    /*
     * Writes a master playlist "old\r\n" at Path(folder + "\\" + name),
     * making its folder first, and starts with it as M3UFileName.  Returns
     * the master's path.
     */
    std::string StartWithOldMaster(const std::string &folder, const std::string &name)
    {
        const std::string master = Path(folder + "\\" + name);
        rig::MakeFolders(Path(folder + "\\"));
        rig::WriteFile(master, "old\r\n");
        Start("M3UFileName=" + master + "\r\n");
        return master;
    }
    /*
     * Confirms Replace Playlist when its backup must fail: the confirmation,
     * then the error box, and the master keeps its "old\r\n".
     */
    void ExpectReplaceFailsAtTheBackup(const std::string &master)
    {
        SetPlaylist({"C:\\a.mp3"});
        rig::QueueBoxAnswer(IDYES);
        Command(ID_REPLACE_PLAYLIST);
        ASSERT_EQ(2u, rig::Boxes().size());
        ExpectBox(1, PlayerWindow(), "Could not back up master play list", "Error", MB_OK | MB_ICONERROR);
        EXPECT_EQ("old\r\n", rig::ReadFile(master));
    }
    /*
     * Runs prepare and then commands until the commands ran within one
     * second of the clock (their dated names are then the same), at most
     * five times.  False when the clock ticked during every attempt.
     */
    bool RunWithinOneSecond(const std::function<void()> &prepare, const std::function<void()> &commands)
    {
        for (int attempt = 0; attempt < 5; attempt++) {
            prepare();
            std::string before = Now();
            commands();
            if (before == Now())
                return true;
        }
        return false;
    }
    void ExpectBox(size_t index, HWND owner, const std::string &text, const std::string &caption, UINT flags)
    {
        ASSERT_LT(index, rig::Boxes().size()) << "box " << text;
        const rig::Box &box = rig::Boxes()[index];
        EXPECT_EQ(owner, box.Owner) << text;
        EXPECT_EQ(text, box.Text);
        EXPECT_EQ(caption, box.Caption) << text;
        EXPECT_EQ(flags, box.Flags) << text;
    }
};

/* ---- add current track ------------------------------------------------------ */

TEST_F(PlaylistTest, AddCurrentTrackEntriesByteForByte)
{
    struct Case {
        const char *Name;
        std::string Before; /* "\x01" for a missing file */
        int Length;
        bool NoTitle;
        std::string Added;
    } cases[] = {
        {"missing file: plain entry", "\x01", 215, false, "<file>\r\n"},
        {"plain list: plain entry", "C:\\old.mp3\r\n", 215, false, "<file>\r\n"},
        {"#EXTM3U", "#EXTM3U\r\n", 215, false, "#EXTINF:215,Title of <file>\r\n<file>\r\n"},
        {"#EXTINF first", "#EXTINF:1,x\r\nx\r\n", 0, false, "#EXTINF:0,Title of <file>\r\n<file>\r\n"},
        {"bare #EX", "#EX", 7, false, "\r\n#EXTINF:7,Title of <file>\r\n<file>\r\n"},
        {"length -1", "#EXTM3U\r\n", -1, false, "#EXTINF:4294967295,Title of <file>\r\n<file>\r\n"},
        {"no title", "#EXTM3U\r\n", 215, true, "<file>\r\n"},
        {"two bytes", "#E", 215, false, "\r\n<file>\r\n"},
        {"lower case", "#ext\r\n", 215, false, "<file>\r\n"},
        {"empty file", "", 215, false, "<file>\r\n"},
        /* A last line without its line end, as a text editor may save it, is ended first. */
        {"plain, no end", "C:\\a.mp3\r\nC:\\b.mp3", 215, false, "\r\n<file>\r\n"},
        {"extended, no end", "#EXTM3U\r\n#EXTINF:9,b\r\nC:\\b.mp3", 215, false,
         "\r\n#EXTINF:215,Title of <file>\r\n<file>\r\n"},
        {"LF ends a line", "C:\\b.mp3\n", 215, false, "<file>\r\n"},
        {"lone CR completed", "C:\\b.mp3\r", 215, false, "\n<file>\r\n"},
    };
    const std::string master = Path("master.m3u");
    Start("UseM3U=1\r\nM3UFileName=" + master + "\r\n");
    int n = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string file = Path("Track %s %n " + std::to_string(n++) + ".mp3");
        DeleteFileA(master.c_str());
        if (c.Before != "\x01")
            rig::WriteFile(master, c.Before);
        PlayTrack(file, c.Length, c.NoTitle);
        Forget();
        EXPECT_EQ(1, SendMessageA(PlayerWindow(), WM_COMMAND, ID_ADD_CURRENT_TRACK, 0));
        std::string added = c.Added;
        for (size_t at; (at = added.find("<file>")) != std::string::npos;)
            added.replace(at, 6, file);
        std::string before = c.Before == "\x01" ? "" : c.Before;
        EXPECT_EQ(before + added, rig::ReadFile(master));
        EXPECT_TRUE(rig::Boxes().empty());
    }
}

TEST_F(PlaylistTest, SecondAddToANewFileWritesASecondPlainEntry)
{
    const std::string master = Path("master.m3u");
    Start("UseM3U=1\r\nM3UFileName=" + master + "\r\n");
    PlayTrack("C:\\Music\\one.mp3", 100);
    Command(ID_ADD_CURRENT_TRACK);
    PlayTrack("C:\\Music\\two.mp3", 200);
    Command(ID_ADD_CURRENT_TRACK);
    EXPECT_EQ("C:\\Music\\one.mp3\r\nC:\\Music\\two.mp3\r\n", rig::ReadFile(master));
}

TEST_F(PlaylistTest, AddCurrentTrackRunsOnlyWithTrackSwitchAndName)
{
    const std::string master = Path("master.m3u");
    {
        Start("UseM3U=1\r\nM3UFileName=" + master + "\r\n");
        EXPECT_EQ(1, Command(ID_ADD_CURRENT_TRACK)) << "no track seen yet";
        EXPECT_FALSE(rig::FileExists(master));
        StopPlugin();
    }
    {
        Start("UseM3U=0\r\nM3UFileName=" + master + "\r\n");
        PlayTrack("C:\\Music\\one.mp3", 100);
        EXPECT_EQ(1, Command(ID_ADD_CURRENT_TRACK));
        EXPECT_FALSE(rig::FileExists(master));
        StopPlugin();
    }
    EXPECT_TRUE(rig::Boxes().empty());
}

TEST_F(PlaylistTest, MasterThatCannotBeOpenedGivesTheWarningWithoutOwner)
{
    const std::string master = Path("missing folder\\master.m3u");
    Start("UseM3U=1\r\nM3UFileName=" + master + "\r\n");
    PlayTrack("C:\\Music\\one.mp3", 100);
    Forget();
    EXPECT_EQ(1, Command(ID_ADD_CURRENT_TRACK));
    ASSERT_EQ(1u, rig::Boxes().size());
    ExpectBox(0, NULL, master, "Can not open selected file", MB_OK | MB_ICONWARNING);
    EXPECT_FALSE(rig::FileExists(master));
}

/* ---- snap shot --------------------------------------------------------------- */

TEST_F(PlaylistTest, SnapShotCopiesThePlayersFreshPlaylistToADatedName)
{
    const std::string snaps = Path("snaps");
    CreateDirectoryA(snaps.c_str(), NULL);
    Start("SnapShotDirectory=" + snaps + "\r\n");
    const std::string expected = PlayerList({"C:\\a.mp3", "D:\\b c.mp3"});
    rig::WriteFile(PlayerPlaylistPath(), "stale\r\n");
    std::string before = Now();
    EXPECT_EQ(1, Command(ID_SNAP_SHOT));
    std::string after = Now();

    EXPECT_EQ(1, Player().PlaylistWrites);
    std::vector<std::string> files = FilesIn(snaps);
    ASSERT_EQ(1u, files.size());
    EXPECT_TRUE(IsStampName(files[0], ".m3u")) << files[0];
    EXPECT_LE(before, files[0].substr(0, 14));
    EXPECT_GE(after, files[0].substr(0, 14));
    EXPECT_EQ(expected, rig::ReadFile(snaps + "\\" + files[0])) << "copied after the player wrote it";
    ASSERT_EQ(1u, rig::Boxes().size());
    ExpectBox(0, PlayerWindow(), snaps + "\\" + files[0], "Play List Snap Shot Taken", MB_OK);
}

TEST_F(PlaylistTest, SnapShotInZeltModeIsSilent)
{
    const std::string snaps = Path("snaps");
    CreateDirectoryA(snaps.c_str(), NULL);
    Start("Zelt_Mode=1\r\nSnapShotDirectory=" + snaps + "\r\n");
    SetPlaylist({"C:\\a.mp3"});
    EXPECT_EQ(1, Command(ID_SNAP_SHOT));
    EXPECT_EQ(1u, FilesIn(snaps).size());
    EXPECT_TRUE(rig::Boxes().empty());
}

TEST_F(PlaylistTest, TwoSnapShotsInOneSecondTheSecondFails)
{
    for (int zelt = 0; zelt <= 1; zelt++) {
        SCOPED_TRACE(zelt ? "Zelt mode" : "normal");
        const std::string snaps = Path(zelt ? "snapsZ" : "snaps");
        Start("Zelt_Mode=" + std::to_string(zelt) + "\r\nSnapShotDirectory=" + snaps + "\r\n");
        SetPlaylist({"C:\\a.mp3"});
        bool sameSecond = RunWithinOneSecond(
            [&] {
                rig::RemoveTree(snaps);
                CreateDirectoryA(snaps.c_str(), NULL);
                Forget();
            },
            [&] {
                Command(ID_SNAP_SHOT);
                Command(ID_SNAP_SHOT);
            });
        ASSERT_TRUE(sameSecond) << "the clock ticked during every attempt";
        std::vector<std::string> files = FilesIn(snaps);
        ASSERT_EQ(1u, files.size());
        const std::string name = snaps + "\\" + files[0];
        size_t failed = zelt ? 0 : 1;
        ASSERT_EQ(failed + 1, rig::Boxes().size());
        if (!zelt)
            ExpectBox(0, PlayerWindow(), name, "Play List Snap Shot Taken", MB_OK);
        ExpectBox(failed, PlayerWindow(), name, "Play List Snap Shot Failed", MB_OK | MB_ICONERROR);
        StopPlugin();
    }
}

TEST_F(PlaylistTest, SnapShotIntoAMissingFolderFails)
{
    const std::string snaps = Path("no such folder");
    Start("SnapShotDirectory=" + snaps + "\r\n");
    Command(ID_SNAP_SHOT);
    ASSERT_EQ(1u, rig::Boxes().size());
    EXPECT_EQ("Play List Snap Shot Failed", rig::Boxes()[0].Caption);
    EXPECT_EQ(snaps + "\\", rig::Boxes()[0].Text.substr(0, snaps.size() + 1));
    EXPECT_TRUE(IsStampName(rig::Boxes()[0].Text.substr(snaps.size() + 1), ".m3u"));
    EXPECT_EQ((UINT)(MB_OK | MB_ICONERROR), rig::Boxes()[0].Flags);
}

TEST_F(PlaylistTest, SnapShotWithoutFolderDoesNothing)
{
    Start("SnapShotDirectory=\r\n");
    EXPECT_EQ(1, Command(ID_SNAP_SHOT));
    EXPECT_TRUE(rig::Boxes().empty());
    EXPECT_EQ(0, Player().PlaylistWrites);
}

/*
 * A snapshot name that would not fit in a path is refused with the
 * command's failure box naming the folder: nothing is cut, asked or written.
 */
TEST_F(PlaylistTest, SnapShotNameTooLongForAPathIsRefused)
{
    const std::string base = Path("s");
    ASSERT_LT(base.size(), 200u);
    const std::string snaps = base + std::string(245 - base.size(), 'x'); /* 245 + 19 > 259 */
    Start("SnapShotDirectory=" + snaps + "\r\n");
    EXPECT_EQ(1, Command(ID_SNAP_SHOT));
    ASSERT_EQ(1u, rig::Boxes().size());
    ExpectBox(0, PlayerWindow(), snaps, "Play List Snap Shot Failed", MB_OK | MB_ICONERROR);
    EXPECT_EQ(0, Player().PlaylistWrites);
    EXPECT_TRUE(FilesIn(Folder()).empty()) << "no cut name was written";
}

/* ---- replace playlist ---------------------------------------------------------- */

TEST_F(PlaylistTest, ReplaceAnsweredNoDoesNothing)
{
    const std::string master = StartWithOldMaster("lists", "master.m3u");
    SetPlaylist({"C:\\a.mp3"});
    rig::QueueBoxAnswer(IDNO);
    EXPECT_EQ(1, Command(ID_REPLACE_PLAYLIST));
    ASSERT_EQ(1u, rig::Boxes().size());
    ExpectBox(0, PlayerWindow(), ConfirmReplace, "Replace play list", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
    EXPECT_EQ(0, Player().PlaylistWrites);
    EXPECT_EQ("old\r\n", rig::ReadFile(master));
    EXPECT_EQ(1u, FilesIn(Path("lists")).size());
}

TEST_F(PlaylistTest, ReplaceAnsweredYesBacksUpAndReplaces)
{
    const std::string master = StartWithOldMaster("lists", "master.m3u");
    const std::string expected = PlayerList({"C:\\a.mp3", "C:\\b.mp3"});
    rig::QueueBoxAnswer(IDYES);
    std::string before = Now();
    EXPECT_EQ(1, Command(ID_REPLACE_PLAYLIST));
    std::string after = Now();

    EXPECT_EQ(1, Player().PlaylistWrites);
    EXPECT_EQ(expected, rig::ReadFile(master));
    std::string backup;
    for (const std::string &name : FilesIn(Path("lists")))
        if (name != "master.m3u")
            backup = name;
    ASSERT_EQ(2u, FilesIn(Path("lists")).size());
    ASSERT_EQ("master-", backup.substr(0, 7)) << backup;
    EXPECT_TRUE(IsStampName(backup.substr(7), ".m3u")) << backup;
    EXPECT_LE(before, backup.substr(7, 14));
    EXPECT_GE(after, backup.substr(7, 14));
    EXPECT_EQ("old\r\n", rig::ReadFile(Path("lists\\" + backup)));
    ASSERT_EQ(2u, rig::Boxes().size());
    ExpectBox(1, PlayerWindow(), "Master Playlist successfully backed up and replaced", "Information",
              MB_OK | MB_ICONINFORMATION);
}

TEST_F(PlaylistTest, ReplaceWithoutADotFailsAfterConfirmationAndWrite)
{
    Start("M3UFileName=master_without_extension\r\n");
    SetPlaylist({"C:\\a.mp3"});
    rig::QueueBoxAnswer(IDYES);
    EXPECT_EQ(1, Command(ID_REPLACE_PLAYLIST));
    EXPECT_EQ(1, Player().PlaylistWrites);
    ASSERT_EQ(2u, rig::Boxes().size());
    ExpectBox(0, PlayerWindow(), ConfirmReplace, "Replace play list", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
    ExpectBox(1, PlayerWindow(), "Replace Playlist failed", "Error", MB_OK | MB_ICONERROR);
}

TEST_F(PlaylistTest, SecondReplaceInTheSameSecondFailsAtTheBackup)
{
    const std::string master = Path("lists\\master.m3u");
    rig::MakeFolders(Path("lists\\"));
    Start("M3UFileName=" + master + "\r\n");
    std::string first;
    bool sameSecond = RunWithinOneSecond(
        [&] {
            rig::RemoveTree(Path("lists"));
            rig::MakeFolders(Path("lists\\"));
            rig::WriteFile(master, "old\r\n");
            first = PlayerList({"C:\\first.mp3"});
            Forget();
        },
        [&] {
            rig::QueueBoxAnswer(IDYES);
            Command(ID_REPLACE_PLAYLIST);
            SetPlaylist({"C:\\second.mp3"});
            rig::QueueBoxAnswer(IDYES);
            Command(ID_REPLACE_PLAYLIST);
        });
    ASSERT_TRUE(sameSecond) << "the clock ticked during every attempt";
    EXPECT_EQ(first, rig::ReadFile(master)) << "the master keeps the first replacement";
    EXPECT_EQ(2u, FilesIn(Path("lists")).size());
    ASSERT_EQ(4u, rig::Boxes().size());
    ExpectBox(1, PlayerWindow(), "Master Playlist successfully backed up and replaced", "Information",
              MB_OK | MB_ICONINFORMATION);
    ExpectBox(3, PlayerWindow(), "Could not back up master play list", "Error", MB_OK | MB_ICONERROR);
}

TEST_F(PlaylistTest, DottedFolderWithoutExtensionFailsAtTheBackup)
{
    const std::string master = StartWithOldMaster("my.lists", "master");
    ASSERT_NO_FATAL_FAILURE(ExpectReplaceFailsAtTheBackup(master));
    EXPECT_EQ(1u, FilesIn(Path("my.lists")).size());
}

/* A backup name that would not fit in a path is refused as a failed backup, never cut. */
TEST_F(PlaylistTest, BackupNameTooLongForAPathIsRefused)
{
    const std::string base = Path("m");
    ASSERT_LT(base.size(), 200u);
    const std::string master = base + std::string(250 - 4 - base.size(), 'x') + ".m3u"; /* 250 + 15 > 259 */
    ASSERT_EQ(250u, master.size());
    rig::WriteFile(master, "old\r\n");
    ASSERT_TRUE(rig::FileExists(master));
    Start("M3UFileName=" + master + "\r\n");
    ASSERT_NO_FATAL_FAILURE(ExpectReplaceFailsAtTheBackup(master));
    EXPECT_EQ(1u, FilesIn(Folder()).size()) << "only the master is there";
}

/*
 * The backup is taken, but the master cannot be written (another program
 * holds it open for reading only): the error box, the master unchanged,
 * and the backup stays.
 */
TEST_F(PlaylistTest, ReplaceThatCannotOverwriteTheMasterKeepsTheBackup)
{
    const std::string master = StartWithOldMaster("lists", "master.m3u");
    HANDLE held =
        CreateFileA(master.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    SetPlaylist({"C:\\a.mp3"});
    rig::QueueBoxAnswer(IDYES);
    EXPECT_EQ(1, Command(ID_REPLACE_PLAYLIST));
    CloseHandle(held);
    EXPECT_EQ(1, Player().PlaylistWrites);
    ASSERT_EQ(2u, rig::Boxes().size());
    ExpectBox(1, PlayerWindow(), "Could not copy play list from WinAmp", "Error", MB_OK | MB_ICONERROR);
    EXPECT_EQ("old\r\n", rig::ReadFile(master));
    std::string backup;
    for (const std::string &name : FilesIn(Path("lists")))
        if (name != "master.m3u")
            backup = name;
    ASSERT_EQ("master-", backup.substr(0, 7)) << backup;
    EXPECT_TRUE(IsStampName(backup.substr(7), ".m3u")) << backup;
    EXPECT_EQ("old\r\n", rig::ReadFile(Path("lists\\" + backup)));
}

/* ---- clear ---------------------------------------------------------------------- */

TEST_F(PlaylistTest, ClearAskedThenDeletes)
{
    const std::string master = Path("master.m3u");
    rig::WriteFile(master, "C:\\a.mp3\r\n");
    Start("M3UFileName=" + master + "\r\n");
    rig::QueueBoxAnswer(IDNO);
    EXPECT_EQ(1, Command(IDC_CLEAR_PLAYLIST));
    EXPECT_TRUE(rig::FileExists(master)) << "No keeps it";
    rig::QueueBoxAnswer(IDYES);
    EXPECT_EQ(1, Command(IDC_CLEAR_PLAYLIST));
    EXPECT_FALSE(rig::FileExists(master));
    ASSERT_EQ(2u, rig::Boxes().size());
    for (size_t i = 0; i < 2; i++)
        ExpectBox(i, PlayerWindow(), ConfirmClear, master, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2);
    EXPECT_TRUE(FilesIn(Folder()).empty()) << "no backup";
}

TEST_F(PlaylistTest, ClearOfAMissingFileSaysSo)
{
    const std::string master = Path("master.m3u");
    Start("M3UFileName=" + master + "\r\n");
    rig::QueueBoxAnswer(IDYES);
    Command(IDC_CLEAR_PLAYLIST);
    ASSERT_EQ(2u, rig::Boxes().size());
    ExpectBox(1, PlayerWindow(), "User specified play list could not be deleted!", master, MB_OK | MB_ICONINFORMATION);
}

/* ---- add all tracks -------------------------------------------------------------- */

/*
 * The read-out of the player's playlist.  The player writes the file on
 * request; the first box (its path) comes after that and before the file
 * is read, so the test puts its own contents there while the box is open.
 */
TEST_F(PlaylistTest, AddAllTracksReadOut)
{
    struct Case {
        const char *Name;
        std::string Contents; /* "\x01": removed */
        std::vector<std::string> Output;
    } cases[] = {
        {"extended", "#EXTM3U\r\n#EXTINF:5,A\r\nC:\\a.mp3\r\n", {"---", "#EXTINF:5,A\r\nC:\\a.mp3\r\n"}},
        {"plain", "C:\\a.mp3\r\n", {"---", "C:\\a.mp3\r\n"}},
        {"header only", "#EXTM3U\r\n", {"---"}},
        {"short #EX", "#EXTM", {"---"}},
        {"bare #EX", "#EX", {"---"}},
        {"empty", "", {}},
        {"missing", "\x01", {}},
    };
    Start("");
    SetPlaylist({"C:\\a.mp3"});
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        Forget();
        rig::OnBox([&](const rig::Box &box) {
            if (box.Text != PlayerPlaylistPath())
                return;
            DeleteFileA(PlayerPlaylistPath().c_str());
            if (c.Contents != "\x01")
                rig::WriteFile(PlayerPlaylistPath(), c.Contents);
        });
        size_t before = rig::DebugOutput().size();
        EXPECT_EQ(1, Command(ID_ADD_ALL_TRACKS));
        rig::OnBox(nullptr);
        std::vector<std::string> output(rig::DebugOutput().begin() + before, rig::DebugOutput().end());
        EXPECT_EQ(c.Output, output);
        EXPECT_EQ(1, Player().PlaylistWrites);
        bool sized = c.Contents != "\x01" && !c.Contents.empty();
        ASSERT_EQ(sized ? 2u : 1u, rig::Boxes().size());
        ExpectBox(0, PlayerWindow(), PlayerPlaylistPath(), "Information", MB_OK | MB_ICONINFORMATION);
        if (sized)
            ExpectBox(1, PlayerWindow(), "Size of play list is " + std::to_string(c.Contents.size()), "Information",
                      MB_OK | MB_ICONINFORMATION);
        EXPECT_TRUE(Player().Received.empty()) << "nothing is added anywhere";
    }
}

} // namespace
