/*
 * The track watcher in the stand-in player: what the real DLL writes to the
 * signature and log files on start, track changes and quit, how it tells a
 * change from the same track, and what happens when a writer's warning box
 * stays open while the player moves on.  Ticks are made by the test.
 */
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/rig/fixture.h"

namespace
{

const char Caption[] = "Can not open selected file";
const char LeadIn[] = "-- \r\n\r\nThe last song I started on my PC was: ";

/* Local time in whole seconds as a comparable count. */
ULONGLONG Seconds(const SYSTEMTIME &time)
{
    FILETIME file;
    SystemTimeToFileTime(&time, &file);
    ULARGE_INTEGER value;
    value.LowPart = file.dwLowDateTime;
    value.HighPart = file.dwHighDateTime;
    return value.QuadPart / 10000000ULL;
}

ULONGLONG NowSeconds()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    return Seconds(now);
}

/* One log entry as read back: whether it began with a form feed, its time stamp and its text. */
struct LogEntry {
    bool FormFeed;
    std::string Stamp;
    std::string Text;
};

/*
 * Splits a log into entries: [FF] "YYYY-MM-DD hh:mm:ss WinAmp\r\n\r\n" text
 * "\r\n\r\n".  Texts in these tests hold no form feed.  Any byte out of
 * place fails the test.
 */
std::vector<LogEntry> ParseLog(const std::string &log)
{
    std::vector<LogEntry> entries;
    size_t at = 0;
    while (at < log.size()) {
        LogEntry entry;
        entry.FormFeed = log[at] == '\f';
        if (entry.FormFeed)
            ++at;
        size_t next = log.find('\f', at);
        std::string piece = log.substr(at, next == std::string::npos ? std::string::npos : next - at);
        at = next == std::string::npos ? log.size() : next;
        const std::string header = " WinAmp\r\n\r\n";
        if (piece.size() < 19 + header.size() + 4 || piece.compare(19, header.size(), header) != 0 ||
            piece.compare(piece.size() - 4, 4, "\r\n\r\n") != 0) {
            ADD_FAILURE() << "malformed log entry: [" << piece << "]";
            return entries;
        }
        entry.Stamp = piece.substr(0, 19);
        entry.Text = piece.substr(19 + header.size(), piece.size() - 19 - header.size() - 4);
        entries.push_back(entry);
    }
    return entries;
}

/* The stamp "%04u-%02u-%02u %02u:%02u:%02u" read back, digits and separators checked. */
bool ParseStamp(const std::string &stamp, SYSTEMTIME *time)
{
    const char *pattern = "dddd-dd-dd dd:dd:dd";
    if (stamp.size() != strlen(pattern))
        return false;
    for (size_t i = 0; i < stamp.size(); ++i)
        if (pattern[i] == 'd' ? (stamp[i] < '0' || stamp[i] > '9') : stamp[i] != pattern[i])
            return false;
    ZeroMemory(time, sizeof *time);
    time->wYear = (WORD)atoi(stamp.substr(0, 4).c_str());
    time->wMonth = (WORD)atoi(stamp.substr(5, 2).c_str());
    time->wDay = (WORD)atoi(stamp.substr(8, 2).c_str());
    time->wHour = (WORD)atoi(stamp.substr(11, 2).c_str());
    time->wMinute = (WORD)atoi(stamp.substr(14, 2).c_str());
    time->wSecond = (WORD)atoi(stamp.substr(17, 2).c_str());
    return true;
}

/*
 * Checks the whole log byte for byte: one entry per expected text, the
 * first of the file without a form feed when the file started empty, every
 * other with one, each stamped between before and after.
 */
void ExpectLog(const std::string &log, const std::vector<std::string> &texts, ULONGLONG before, ULONGLONG after,
               bool startedEmpty = true)
{
    std::vector<LogEntry> entries = ParseLog(log);
    std::string expected;
    for (size_t i = 0; i < entries.size() && i < texts.size(); ++i) {
        SYSTEMTIME time;
        ASSERT_TRUE(ParseStamp(entries[i].Stamp, &time)) << entries[i].Stamp;
        ULONGLONG stamp = Seconds(time);
        EXPECT_LE(before, stamp) << entries[i].Stamp;
        EXPECT_GE(after, stamp) << entries[i].Stamp;
        expected += (i == 0 && startedEmpty ? "" : "\f") + entries[i].Stamp + " WinAmp\r\n\r\n" + texts[i] + "\r\n\r\n";
    }
    ASSERT_EQ(texts.size(), entries.size());
    EXPECT_EQ(expected, log);
}

/* Records every WM_COMMAND that reaches the player's window, whatever procedure handles it. */
class CommandRecorder
{
  public:
    explicit CommandRecorder(std::function<void(WPARAM)> onCommand = nullptr)
    {
        Current = this;
        onCommand_ = onCommand;
        previous_ = (WNDPROC)SetWindowLongPtrA(PlayerWindow(), GWLP_WNDPROC, (LONG_PTR)Record);
    }
    ~CommandRecorder()
    {
        SetWindowLongPtrA(PlayerWindow(), GWLP_WNDPROC, (LONG_PTR)previous_);
        Current = nullptr;
    }
    std::vector<PlayerMessage> Commands;

  private:
    static LRESULT CALLBACK Record(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        CommandRecorder *self = Current;
        if (message == WM_COMMAND) {
            self->Commands.push_back({message, wParam, lParam});
            if (self->onCommand_)
                self->onCommand_(wParam);
        }
        return CallWindowProcA(self->previous_, window, message, wParam, lParam);
    }
    static CommandRecorder *Current;
    WNDPROC previous_;
    std::function<void(WPARAM)> onCommand_;
};
CommandRecorder *CommandRecorder::Current;

/* A 128-byte ID3v1 tag behind some audio bytes. */
std::string Mp3WithTag(const std::string &title, const std::string &artist, const std::string &album)
{
    auto field = [](std::string text) {
        text.resize(30, ' ');
        return text;
    };
    return std::string(500, '\x55') + "TAG" + field(title) + field(artist) + field(album) + "2005" + field("") +
           std::string(1, '\x11');
}

class WatchTest : public PluginTest
{
  protected:
    /* Starts the plug-in with these settings, never the configuration dialog. */
    void Start(const std::string &settings)
    {
        /* The Now Playing dialog only where a test asks for it. */
        std::string nowPlaying = settings.find("UseNowPlaying=") == std::string::npos ? "UseNowPlaying=0\r\n" : "";
        WriteSettings("AlwaysConfigureOnLaunch=0\r\n" + nowPlaying + settings);
        ASSERT_EQ(0, StartPlugin());
    }
    std::string SignatureSettings(int title, int file)
    {
        return "UseSignature=1\r\nSignatureFileName=" + Path("sig.txt") +
               "\r\nRecordSignatureTitle=" + std::to_string(title) +
               "\r\nRecordSignatureFileName=" + std::to_string(file) + "\r\n";
    }
    std::string LogSettings(int title, int file)
    {
        return "UseLog=1\r\nLogFileName=" + Path("log.txt") + "\r\nRecordLogTitle=" + std::to_string(title) +
               "\r\nRecordLogFileName=" + std::to_string(file) + "\r\n";
    }
    std::string Signature() { return rig::ReadFile(Path("sig.txt")); }
    std::string Log() { return rig::ReadFile(Path("log.txt")); }
    std::vector<std::string> LogTexts()
    {
        std::vector<std::string> texts;
        for (const LogEntry &entry : ParseLog(Log()))
            texts.push_back(entry.Text);
        return texts;
    }
    void MoveTo(int position)
    {
        Player().Position = position;
        rig::Tick();
    }
};

/* Twelve entries whose titles and file names hold "%": they must come out verbatim. */
std::vector<std::string> TwelveFiles()
{
    std::vector<std::string> files;
    for (int i = 1; i <= 12; ++i)
        files.push_back("C:\\Music\\%s%n%d 100% track" + std::to_string(i) + ".mp3");
    return files;
}

struct SignatureCase {
    int Title, File;
    const char *Middle; /* what stands between the lead-in and the track line; %T and %F for title and file */
};

void PrintTo(const SignatureCase &c, std::ostream *out) { *out << "title " << c.Title << ", file " << c.File; }

class SignatureSwitches : public WatchTest, public ::testing::WithParamInterface<SignatureCase>
{
};

TEST_P(SignatureSwitches, ByteForByteWithPositionLine)
{
    const SignatureCase &c = GetParam();
    rig::WriteFile(Path("sig.txt"), "");
    Start(SignatureSettings(c.Title, c.File));
    SetPlaylist(TwelveFiles(), 2);
    rig::Tick();

    std::string file = "C:\\Music\\%s%n%d 100% track3.mp3";
    std::string title = "Title of " + file;
    std::string middle = c.Middle;
    for (size_t at; (at = middle.find("%T")) != std::string::npos;)
        middle.replace(at, 2, title);
    for (size_t at; (at = middle.find("%F")) != std::string::npos;)
        middle.replace(at, 2, file);
    std::string expected = LeadIn + middle + "This is track 3 of 12 in the current playlist.\r\n";
    EXPECT_EQ(c.Title || c.File ? expected : "", Signature());
    EXPECT_TRUE(rig::Boxes().empty());
}

INSTANTIATE_TEST_SUITE_P(Switches, SignatureSwitches,
                         ::testing::Values(SignatureCase{1, 0, "%T\r\n"}, SignatureCase{0, 1, "%F\r\n"},
                                           SignatureCase{1, 1, "%T\r\n%F\r\n"}, SignatureCase{0, 0, ""}));

/* Signature off, or no file name: the file is left alone at start, change and quit. */
TEST_F(WatchTest, SignatureOffLeavesTheFileAlone)
{
    rig::WriteFile(Path("sig.txt"), "my own signature");
    Start("UseSignature=0\r\nSignatureFileName=" + Path("sig.txt") +
          "\r\nRecordSignatureTitle=1\r\nRecordSignatureFileName=1\r\n");
    SetPlaylist({"C:\\a.mp3"});
    rig::Tick();
    StopPlugin();
    EXPECT_EQ("my own signature", Signature());
    EXPECT_TRUE(rig::Boxes().empty());
}

struct LogCase {
    int Title, File;
    std::vector<std::string> Texts; /* after "WinAmp started", before "WinAmp quit" */
};

void PrintTo(const LogCase &c, std::ostream *out) { *out << "title " << c.Title << ", file " << c.File; }

class LogSwitches : public WatchTest, public ::testing::WithParamInterface<LogCase>
{
};

/* Start, two tracks and quit, byte for byte, each header's time between the clock before and after. */
TEST_P(LogSwitches, StartTwoTracksQuit)
{
    const LogCase &c = GetParam();
    ULONGLONG before = NowSeconds();
    Start(LogSettings(c.Title, c.File));
    Player().Playlist = {{"C:\\Music\\100%s.mp3", "Song %n %d", false}, {"D:\\b%%.mp3", "Other %x", false}};
    Player().Position = 0;
    rig::Tick();
    MoveTo(1);
    StopPlugin();
    ULONGLONG after = NowSeconds();

    std::vector<std::string> texts = {"WinAmp started"};
    texts.insert(texts.end(), c.Texts.begin(), c.Texts.end());
    texts.push_back("WinAmp quit");
    ExpectLog(Log(), texts, before, after);
    EXPECT_TRUE(rig::Boxes().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Switches, LogSwitches,
    ::testing::Values(LogCase{1, 1, {"Song %n %d\r\nC:\\Music\\100%s.mp3", "Other %x\r\nD:\\b%%.mp3"}},
                      LogCase{1, 0, {"Song %n %d", "Other %x"}}, LogCase{0, 1, {"C:\\Music\\100%s.mp3", "D:\\b%%.mp3"}},
                      LogCase{0, 0, {}}));

/* A restarted player appends: its first entry starts with a form feed too. */
TEST_F(WatchTest, LogAfterRestartStartsWithFormFeed)
{
    std::string earlier = "2005-03-07 09:05:02 WinAmp\r\n\r\nWinAmp quit\r\n\r\n";
    rig::WriteFile(Path("log.txt"), earlier);
    ULONGLONG before = NowSeconds();
    Start(LogSettings(1, 0));
    StopPlugin();
    ULONGLONG after = NowSeconds();
    std::string log = Log();
    ASSERT_EQ(earlier, log.substr(0, earlier.size()));
    ExpectLog(log.substr(earlier.size()), {"WinAmp started", "WinAmp quit"}, before, after, false);
}

/* Start and quit entries only with logging on; with it off nothing is written, not even an empty file. */
TEST_F(WatchTest, StartAndQuitEntriesOnlyWithLoggingOn)
{
    Start("UseLog=0\r\nLogFileName=" + Path("log.txt") + "\r\nRecordLogTitle=1\r\nRecordLogFileName=1\r\n");
    SetPlaylist({"C:\\a.mp3"});
    rig::Tick();
    StopPlugin();
    EXPECT_FALSE(rig::FileExists(Path("log.txt")));
    EXPECT_TRUE(rig::Boxes().empty());
}

/* The signature is emptied at start and at quit; the track in between fills it. */
TEST_F(WatchTest, SignatureEmptiedAtStartAndQuit)
{
    rig::WriteFile(Path("sig.txt"), "left over from last time");
    Start(SignatureSettings(1, 0));
    EXPECT_TRUE(rig::FileExists(Path("sig.txt")));
    EXPECT_EQ("", Signature());
    SetPlaylist({"C:\\a.mp3"});
    rig::Tick();
    EXPECT_EQ(std::string(LeadIn) + "Title of C:\\a.mp3\r\nThis is track 1 of 1 in the current playlist.\r\n",
              Signature());
    StopPlugin();
    EXPECT_TRUE(rig::FileExists(Path("sig.txt")));
    EXPECT_EQ("", Signature());
    EXPECT_TRUE(rig::Boxes().empty());
}

/*
 * A signature file that does not exist: start and quit each show the
 * warning box owned by the player's window and do not create it.
 */
TEST_F(WatchTest, MissingSignatureFileAtStartAndQuitGivesOwnedBoxAndIsNotCreated)
{
    Start(SignatureSettings(1, 1));
    HWND player = PlayerWindow();
    EXPECT_FALSE(rig::FileExists(Path("sig.txt")));
    StopPlugin();
    EXPECT_FALSE(rig::FileExists(Path("sig.txt")));
    ASSERT_EQ(2u, rig::Boxes().size());
    for (const rig::Box &box : rig::Boxes()) {
        EXPECT_EQ(player, box.Owner);
        EXPECT_EQ(Path("sig.txt"), box.Text);
        EXPECT_EQ(Caption, box.Caption);
        EXPECT_EQ((UINT)(MB_OK | MB_ICONWARNING), box.Flags);
    }
}

/*
 * A signature file that does not exist yet: start says so and leaves it
 * missing, the first track change creates it, and quit then empties it
 * without a box.
 */
TEST_F(WatchTest, FirstTrackChangeCreatesTheMissingSignatureFile)
{
    Start(SignatureSettings(0, 1));
    ASSERT_EQ(1u, rig::Boxes().size());
    EXPECT_EQ(Path("sig.txt"), rig::Boxes()[0].Text);
    EXPECT_FALSE(rig::FileExists(Path("sig.txt")));

    SetPlaylist({"C:\\a.mp3"});
    rig::Tick();
    EXPECT_EQ(std::string(LeadIn) + "C:\\a.mp3\r\nThis is track 1 of 1 in the current playlist.\r\n", Signature());
    StopPlugin();
    EXPECT_TRUE(rig::FileExists(Path("sig.txt")));
    EXPECT_EQ("", Signature());
    EXPECT_EQ(1u, rig::Boxes().size());
}

/*
 * Sharing of the signature and the log while the plug-in has them open:
 * another program may write them at the same time, but no reader may hold
 * them.  The test holds both files open through start, one change and quit:
 * for writing, every write goes through; for reading, every open is
 * refused and gives its box, and neither file is touched.
 */
class WriterSharing : public WatchTest, public ::testing::WithParamInterface<bool>
{
};

TEST_P(WriterSharing, OthersMayWriteButNotRead)
{
    const bool heldForWriting = GetParam();
    rig::WriteFile(Path("sig.txt"), "held");
    rig::WriteFile(Path("log.txt"), "");
    HANDLE held[2];
    for (int i = 0; i < 2; ++i) {
        held[i] = CreateFileA(Path(i ? "log.txt" : "sig.txt").c_str(), heldForWriting ? GENERIC_WRITE : GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, NULL);
        ASSERT_NE(INVALID_HANDLE_VALUE, held[i]);
    }
    Start(SignatureSettings(0, 1) + LogSettings(0, 1));
    SetPlaylist({"C:\\a.mp3"});
    rig::Tick();
    std::string signatureAfterChange = Signature();
    StopPlugin();
    CloseHandle(held[0]);
    CloseHandle(held[1]);

    if (heldForWriting) {
        EXPECT_TRUE(rig::Boxes().empty());
        EXPECT_EQ(std::string(LeadIn) + "C:\\a.mp3\r\nThis is track 1 of 1 in the current playlist.\r\n",
                  signatureAfterChange);
        EXPECT_EQ("", Signature());
        EXPECT_EQ(std::vector<std::string>({"WinAmp started", "C:\\a.mp3", "WinAmp quit"}), LogTexts());
    } else {
        /* Start: log, signature; change: signature, log; quit: log, signature. */
        std::vector<std::string> expected = {Path("log.txt"), Path("sig.txt"), Path("sig.txt"),
                                             Path("log.txt"), Path("log.txt"), Path("sig.txt")};
        ASSERT_EQ(expected.size(), rig::Boxes().size());
        for (size_t i = 0; i < expected.size(); ++i)
            EXPECT_EQ(expected[i], rig::Boxes()[i].Text) << i;
        EXPECT_EQ("held", Signature());
        EXPECT_EQ("", Log());
    }
}

INSTANTIATE_TEST_SUITE_P(HeldForWritingOrReading, WriterSharing, ::testing::Values(true, false));

/* Empty playlist, then the same file at two neighbouring positions: only real changes are written. */
TEST_F(WatchTest, ChangeTestEmptyPlaylistAndSameFileTwice)
{
    rig::WriteFile(Path("sig.txt"), "");
    Start(SignatureSettings(0, 1) + LogSettings(0, 1));
    rig::Tick();
    rig::Tick();
    EXPECT_EQ("", Signature());
    EXPECT_EQ(std::vector<std::string>({"WinAmp started"}), LogTexts());

    SetPlaylist({"C:\\same.mp3", "C:\\same.mp3", "C:\\next.mp3"}, 0);
    rig::Tick();
    std::string first = Signature();
    EXPECT_EQ(std::string(LeadIn) + "C:\\same.mp3\r\nThis is track 1 of 3 in the current playlist.\r\n", first);
    rig::Tick();
    MoveTo(1);
    EXPECT_EQ(first, Signature());
    MoveTo(2);
    EXPECT_EQ(std::vector<std::string>({"WinAmp started", "C:\\same.mp3", "C:\\next.mp3"}), LogTexts());
    EXPECT_EQ(std::string(LeadIn) + "C:\\next.mp3\r\nThis is track 3 of 3 in the current playlist.\r\n", Signature());

    /* An empty playlist again: NowPlaying keeps the last track, nothing is written. */
    Player().Playlist.clear();
    rig::Tick();
    SetPlaylist({"C:\\next.mp3"}, 0);
    rig::Tick();
    EXPECT_EQ(3u, LogTexts().size());
}

/* Names differing only in letter case are different files; selecting another entry counts while stopped. */
TEST_F(WatchTest, ChangeTestCaseCounts)
{
    Start(LogSettings(0, 1));
    Player().Status = 0;
    SetPlaylist({"C:\\Music\\a.mp3", "C:\\MUSIC\\a.mp3", "C:\\Music\\A.mp3"}, 0);
    rig::Tick();
    MoveTo(1);
    MoveTo(2);
    EXPECT_EQ(std::vector<std::string>({"WinAmp started", "C:\\Music\\a.mp3", "C:\\MUSIC\\a.mp3", "C:\\Music\\A.mp3"}),
              LogTexts());
}

/* Entries inserted before the current one move the position, but it is no change. */
TEST_F(WatchTest, ChangeTestInsertingBeforeTheCurrentEntry)
{
    rig::WriteFile(Path("sig.txt"), "");
    Start(SignatureSettings(0, 1) + LogSettings(0, 1));
    SetPlaylist({"C:\\a.mp3", "C:\\b.mp3"}, 1);
    rig::Tick();
    std::string signature = Signature();
    EXPECT_EQ(std::string(LeadIn) + "C:\\b.mp3\r\nThis is track 2 of 2 in the current playlist.\r\n", signature);

    SetPlaylist({"C:\\x.mp3", "C:\\y.mp3", "C:\\a.mp3", "C:\\b.mp3"}, 3);
    rig::Tick();
    EXPECT_EQ(signature, Signature());
    EXPECT_EQ(std::vector<std::string>({"WinAmp started", "C:\\b.mp3"}), LogTexts());

    /* The position and length the next change writes are the player's latest. */
    MoveTo(0);
    EXPECT_EQ(std::string(LeadIn) + "C:\\x.mp3\r\nThis is track 1 of 4 in the current playlist.\r\n", Signature());
}

/*
 * A stream address: no tag is read, the previous file's tag stays (the
 * lyrics lookup builds its address from it); a file without a tag replaces it.
 */
TEST_F(WatchTest, ChangeTestStreamKeepsThePreviousTag)
{
    Start(LogSettings(1, 1));
    rig::WriteFile(Path("song.mp3"), Mp3WithTag("song", "band", "record"));
    rig::WriteFile(Path("plain.mp3"), std::string(300, '\0'));
    Player().Playlist = {{Path("song.mp3"), "Song", false},
                         {"http://radio.example/stream", "Radio", false},
                         {Path("plain.mp3"), "Plain", false}};
    Player().Position = 0;
    rig::Tick();
    MoveTo(1);
    EXPECT_EQ(std::vector<std::string>(
                  {"WinAmp started", "Song\r\n" + Path("song.mp3"), "Radio\r\nhttp://radio.example/stream"}),
              LogTexts());

    rig::ShellCalls().clear();
    Command(ID_LYRICS_LOOKUP);
    ASSERT_EQ(1u, rig::ShellCalls().size());
    const std::string &address = rig::ShellCalls()[0].File;
    const std::string tail = "/lyrics/band/record/song";
    ASSERT_GE(address.size(), tail.size());
    EXPECT_EQ(tail, address.substr(address.size() - tail.size()));

    /* A file without a tag whose last 128 bytes are zero gives an empty artist: the lookup then does nothing. */
    MoveTo(2);
    rig::ShellCalls().clear();
    Command(ID_LYRICS_LOOKUP);
    EXPECT_TRUE(rig::ShellCalls().empty());
}

/*
 * The tag is read with sharing for reading only: a file another program
 * only reads is read, one that another program has open for writing is
 * refused and the previous tag stays.  The tag shows in the lyrics
 * lookup's address.
 */
TEST_F(WatchTest, TagReadSharesReadingOnly)
{
    Start("");
    rig::WriteFile(Path("first.mp3"), Mp3WithTag("first", "one", "alpha"));
    rig::WriteFile(Path("second.mp3"), Mp3WithTag("second", "two", "beta"));
    rig::WriteFile(Path("third.mp3"), Mp3WithTag("third", "three", "gamma"));
    SetPlaylist({Path("first.mp3"), Path("second.mp3"), Path("third.mp3")}, 0);
    auto lookedUp = [this]() {
        rig::ShellCalls().clear();
        Command(ID_LYRICS_LOOKUP);
        if (rig::ShellCalls().size() != 1)
            return std::string("<no lookup>");
        const std::string &address = rig::ShellCalls()[0].File;
        size_t at = address.find("/lyrics/");
        return at == std::string::npos ? address : address.substr(at);
    };
    rig::Tick();
    EXPECT_EQ("/lyrics/one/alpha/first", lookedUp());

    HANDLE reader =
        CreateFileA(Path("second.mp3").c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, reader);
    MoveTo(1);
    CloseHandle(reader);
    EXPECT_EQ("/lyrics/two/beta/second", lookedUp()) << "read beside a reader";

    HANDLE writer = CreateFileA(Path("third.mp3").c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                                OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, writer);
    MoveTo(2);
    CloseHandle(writer);
    EXPECT_EQ("/lyrics/two/beta/second", lookedUp()) << "not read beside a writer: the previous tag stays";
}

/* A title the player does not give (0) is empty; the track is still recorded. */
TEST_F(WatchTest, MissingTitleIsEmpty)
{
    rig::WriteFile(Path("sig.txt"), "");
    Start(SignatureSettings(1, 1) + LogSettings(1, 1));
    Player().Playlist = {{"C:\\Music\\Old title.mp3", "Old title", false}, {"C:\\untitled.mp3", "", true}};
    Player().Position = 0;
    rig::Tick();
    MoveTo(1);
    EXPECT_EQ(std::string(LeadIn) + "\r\nC:\\untitled.mp3\r\nThis is track 2 of 2 in the current playlist.\r\n",
              Signature());
    EXPECT_EQ(
        std::vector<std::string>({"WinAmp started", "Old title\r\nC:\\Music\\Old title.mp3", "\r\nC:\\untitled.mp3"}),
        LogTexts());
}

/*
 * Names longer than 259 characters: the held copy is cut, but the same long
 * name is the same track on later ticks, while another long name with the
 * same first 259 characters (same length or not) is a change.  What is
 * written is the first 259 characters.
 */
TEST_F(WatchTest, ChangeTestLongNames)
{
    Start(LogSettings(0, 1));
    std::string prefix = "C:\\" + std::string(256, 'n');
    std::string longA = prefix + std::string(41, 'a') + ".mp3";
    std::string longB = prefix + std::string(41, 'b') + ".mp3";
    std::string longC = prefix + std::string(42, 'a') + ".mp3";
    std::string huge = prefix + std::string(4000, 'h');
    ASSERT_EQ(259u, prefix.size());
    SetPlaylist({longA, longB, longC, huge, prefix}, 0);
    rig::Tick();
    rig::Tick();
    rig::Tick();
    MoveTo(1);
    rig::Tick();
    MoveTo(2);
    rig::Tick();
    MoveTo(3);
    rig::Tick();
    /* Exactly the first 259 characters, now without a tail: a change as well. */
    MoveTo(4);
    rig::Tick();
    MoveTo(0);
    rig::Tick();
    EXPECT_EQ(std::vector<std::string>({"WinAmp started", prefix, prefix, prefix, prefix, prefix, prefix}), LogTexts());
}

/* ID_NOW_PLAYING reaches the player's window on a change when UseNowPlaying is on, and only then. */
class NowPlayingSwitch : public WatchTest, public ::testing::WithParamInterface<int>
{
};

TEST_P(NowPlayingSwitch, AskedOnEachChange)
{
    int use = GetParam();
    Start("UseNowPlaying=" + std::to_string(use) + "\r\n");
    std::vector<PlayerMessage> commands;
    {
        CommandRecorder recorder;
        SetPlaylist({"C:\\a.mp3", "C:\\b.mp3"}, 0);
        rig::Tick();
        rig::Tick();
        MoveTo(1);
        commands = recorder.Commands;
    }
    ASSERT_EQ(use ? 2u : 0u, commands.size());
    for (const PlayerMessage &command : commands) {
        EXPECT_EQ((WPARAM)ID_NOW_PLAYING, command.WParam);
        EXPECT_EQ(0, command.LParam);
    }
}

INSTANTIATE_TEST_SUITE_P(OnOff, NowPlayingSwitch, ::testing::Values(1, 0));

/*
 * Both writers fail (a missing folder) while the player moves on twice
 * inside the boxes: every change writes, in order, and shows its boxes
 * after its other steps, unowned, with the exact texts, except a box of a
 * kind already open: track a's signature box, inside it track b's log box
 * (track c's boxes are both left out), then track a's own log box.
 */
TEST_F(WatchTest, BoxesWhilePlayerMovesOnTwice)
{
    std::string signature = Path("missing\\sig.txt");
    std::string log = Path("missing\\log.txt");
    Start("UseSignature=1\r\nSignatureFileName=" + signature +
          "\r\nRecordSignatureTitle=1\r\nUseLog=1\r\nLogFileName=" + log + "\r\nRecordLogTitle=1\r\n");
    ASSERT_EQ(2u, rig::Boxes().size()); /* start: the log, then the signature */
    EXPECT_EQ(log, rig::Boxes()[0].Text);
    EXPECT_EQ((HWND)NULL, rig::Boxes()[0].Owner);
    EXPECT_EQ(signature, rig::Boxes()[1].Text);
    EXPECT_EQ(PlayerWindow(), rig::Boxes()[1].Owner);
    rig::Boxes().clear();

    SetPlaylist({"C:\\a.mp3", "C:\\b.mp3", "C:\\c.mp3"}, 0);
    int opened = 0;
    rig::OnBox([&](const rig::Box &) {
        ++opened;
        if (opened == 1 || opened == 2)
            MoveTo(opened); /* inside track a's signature box, then inside track b's log box */
    });
    rig::Tick();
    rig::OnBox(nullptr);

    std::vector<std::string> expected = {signature, log, log};
    ASSERT_EQ(expected.size(), rig::Boxes().size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(expected[i], rig::Boxes()[i].Text) << i;
        EXPECT_EQ(Caption, rig::Boxes()[i].Caption);
        EXPECT_EQ((UINT)(MB_OK | MB_ICONWARNING), rig::Boxes()[i].Flags);
        EXPECT_EQ((HWND)NULL, rig::Boxes()[i].Owner);
    }
}

/* The poller's warning box as the system shows it: unowned, the file name under the caption. */
TEST_F(WatchTest, RealWarningBoxAfterTheChange)
{
    std::string signature = Path("missing\\sig.txt");
    Start("UseSignature=1\r\nSignatureFileName=" + signature + "\r\nRecordSignatureTitle=1\r\n" + LogSettings(1, 0));
    rig::Boxes().clear();
    rig::UseRealBoxes(true);
    std::vector<std::string> logWhileOpen;
    rig::OnBox([&](const rig::Box &) { logWhileOpen = LogTexts(); });
    SetPlaylist({"C:\\a.mp3"});
    rig::Tick();
    rig::OnBox(nullptr);
    rig::UseRealBoxes(false);

    ASSERT_EQ(1u, rig::Boxes().size());
    EXPECT_EQ(signature, rig::Boxes()[0].Text);
    EXPECT_EQ(Caption, rig::Boxes()[0].Caption);
    EXPECT_EQ((HWND)NULL, rig::Boxes()[0].Owner);
    EXPECT_EQ((UINT)(MB_OK | MB_ICONWARNING), rig::Boxes()[0].Flags);
    EXPECT_EQ(std::vector<std::string>({"WinAmp started", "Title of C:\\a.mp3"}), logWhileOpen);
}

/*
 * The signature fails for the first two tracks (the test holds the file
 * locked) while the player moves on twice inside the first track's box;
 * the lock goes before the third.  The second failure shows no box while
 * the first is open.  The log holds every track once, in order, and the
 * signature names the newest.
 */
TEST_F(WatchTest, LogKeepsEveryTrackWhileBoxesAreOpen)
{
    rig::WriteFile(Path("sig.txt"), "");
    Start(SignatureSettings(1, 0) + LogSettings(1, 0));
    HANDLE lock = CreateFileA(Path("sig.txt").c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);

    SetPlaylist({"C:\\a.mp3", "C:\\b.mp3", "C:\\c.mp3"}, 0);
    std::vector<std::string> logWhenBoxOpened;
    rig::OnBox([&](const rig::Box &) {
        logWhenBoxOpened.push_back(LogTexts().back());
        MoveTo(1);
        CloseHandle(lock);
        MoveTo(2);
    });
    rig::Tick();
    rig::OnBox(nullptr);
    rig::Tick();

    EXPECT_EQ(std::vector<std::string>({"Title of C:\\a.mp3"}), logWhenBoxOpened);
    EXPECT_EQ(
        std::vector<std::string>({"WinAmp started", "Title of C:\\a.mp3", "Title of C:\\b.mp3", "Title of C:\\c.mp3"}),
        LogTexts());
    EXPECT_EQ(std::string(LeadIn) + "Title of C:\\c.mp3\r\nThis is track 3 of 3 in the current playlist.\r\n",
              Signature());
    ASSERT_EQ(1u, rig::Boxes().size());
    for (const rig::Box &box : rig::Boxes()) {
        EXPECT_EQ(Path("sig.txt"), box.Text);
        EXPECT_EQ(Caption, box.Caption);
        EXPECT_EQ((UINT)(MB_OK | MB_ICONWARNING), box.Flags);
        EXPECT_EQ((HWND)NULL, box.Owner);
    }
}

/*
 * 1,000 changes while the first warning box stays open, as when the player
 * skips unplayable files on an unplugged drive: no second signature box
 * opens inside it, every log entry is written once and in order, and once
 * the box has closed the next failure shows it again.
 */
TEST_F(WatchTest, OneWarningBoxPerKindWhileChangesRunInsideIt)
{
    const int count = 1000;
    std::string signature = Path("missing\\sig.txt");
    Start("UseSignature=1\r\nSignatureFileName=" + signature + "\r\nRecordSignatureTitle=1\r\n" + LogSettings(1, 0));
    rig::Boxes().clear();
    std::vector<std::string> files, texts = {"WinAmp started"};
    for (int i = 0; i <= count; ++i) {
        files.push_back("C:\\Unplugged\\" + std::to_string(i) + ".mp3");
        texts.push_back("Title of " + files.back());
    }
    SetPlaylist(files, 0);
    int open = 0, deepest = 0;
    rig::OnBox([&](const rig::Box &) {
        deepest = std::max(deepest, ++open);
        for (int i = 1; rig::Boxes().size() == 1 && i < count; ++i)
            MoveTo(i); /* inside the first box only */
        --open;
    });
    rig::Tick();
    EXPECT_EQ(1u, rig::Boxes().size());
    MoveTo(count);
    rig::OnBox(nullptr);
    EXPECT_EQ(1, deepest);
    ASSERT_EQ(2u, rig::Boxes().size()) << "shown again once closed";
    EXPECT_EQ(signature, rig::Boxes()[1].Text);
    EXPECT_EQ(texts, LogTexts());
}

/*
 * Load: 10,000 consecutive changes.  The log holds every entry, well formed
 * and in order, and the signature names the last track.
 */
TEST_F(WatchTest, TenThousandChanges)
{
    const int count = 10000;
    rig::WriteFile(Path("sig.txt"), "");
    ULONGLONG before = NowSeconds();
    Start(SignatureSettings(0, 1) + LogSettings(1, 0));
    std::vector<std::string> files;
    for (int i = 0; i < count; ++i)
        files.push_back("C:\\Load\\" + std::to_string(i) + ".mp3");
    SetPlaylist(files, 0);
    for (int i = 0; i < count; ++i)
        MoveTo(i);
    EXPECT_EQ(std::string(LeadIn) + "C:\\Load\\9999.mp3\r\nThis is track 10000 of 10000 in the current playlist.\r\n",
              Signature());
    StopPlugin();
    ULONGLONG after = NowSeconds();

    std::vector<std::string> texts = {"WinAmp started"};
    for (const std::string &file : files)
        texts.push_back("Title of " + file);
    texts.push_back("WinAmp quit");
    ExpectLog(Log(), texts, before, after);
    EXPECT_TRUE(rig::Boxes().empty());
}

/* ---- the player's notice: an early poll ---------------------------------- */

class NoticeTest : public WatchTest
{
  protected:
    /*
     * y play, n next (the plug-in's command), e the track ends, q the player
     * stops sending notices, p one pass of the message loop, t a tick.
     */
    void Do(const char *steps)
    {
        // clang-format off
        for (; *steps; ++steps)
            switch (*steps) {
            case 'y': Command(ID_PLAY); break;
            case 'n': Command(ID_NEXT_TRACK); break;
            case 'e': PlayerEndTrack(); break;
            case 'q': Player().SendsNotices = false; break;
            case 'p': PlayerPump(); break;
            case 't': rig::Tick(); break;
            }
        // clang-format on
    }
    std::string SignatureOf(int entry)
    {
        return LeadIn + Player().Playlist[entry].File + "\r\nThis is track " + std::to_string(entry + 1) + " of " +
               std::to_string(Player().Playlist.size()) + " in the current playlist.\r\n";
    }
};

/*
 * Each start is in the log and the signature after one pass of the loop,
 * without a tick, and not while the player still handles its command; the
 * notice reaches the player unchanged; the next tick records nothing again.
 */
TEST_F(NoticeTest, TrackRecordedWithinOnePassOfTheLoop)
{
    rig::WriteFile(Path("sig.txt"), "");
    Start(SignatureSettings(0, 1) + LogSettings(0, 1));
    SetPlaylist({"C:\\0.mp3", "C:\\1.mp3", "C:\\2.mp3"}, 0);
    std::vector<std::string> logged = {"WinAmp started"};
    const char starts[][2] = {"y", "n", "e"};
    for (int entry = 0; entry < 3; ++entry) {
        Do(starts[entry]);
        EXPECT_EQ(logged, LogTexts()) << "not inside the player's handling";
        Do("p");
        logged.push_back(Player().Playlist[entry].File);
        EXPECT_EQ(logged, LogTexts());
        EXPECT_EQ(SignatureOf(entry), Signature());
        ASSERT_EQ(entry + 1u, Player().Notices.size());
        EXPECT_EQ((WPARAM)Player().Playlist[entry].File.c_str(), Player().Notices[entry].WParam);
    }
    Do("tt");
    EXPECT_EQ(logged, LogTexts()) << "not again by the ticks";
}

struct NoticeCase {
    const char *Steps;
    std::vector<int> Logged; /* the entries logged, in order */
    size_t Polls;            /* GetListPosition queries: ticks and early polls */
};

void PrintTo(const NoticeCase &c, std::ostream *out) { *out << c.Steps; }

class NoticeOrder : public NoticeTest, public ::testing::WithParamInterface<NoticeCase>
{
};

TEST_P(NoticeOrder, EachTrackOnceInOrder)
{
    const NoticeCase &c = GetParam();
    rig::WriteFile(Path("sig.txt"), "");
    Start(SignatureSettings(0, 1) + LogSettings(0, 1));
    SetPlaylist({"C:\\0.mp3", "C:\\1.mp3", "C:\\2.mp3", "C:\\3.mp3"}, 0);
    Player().Requests.clear();
    Do(c.Steps);
    std::vector<std::string> expected = {"WinAmp started"};
    for (int entry : c.Logged)
        expected.push_back(Player().Playlist[entry].File);
    EXPECT_EQ(expected, LogTexts());
    EXPECT_EQ(SignatureOf(c.Logged.back()), Signature());
    size_t polls = 0;
    for (const PlayerMessage &request : Player().Requests)
        polls += request.LParam == HOST_GET_LIST_POSITION;
    EXPECT_EQ(c.Polls, polls);
}

INSTANTIATE_TEST_SUITE_P(Interleaved, NoticeOrder,
                         ::testing::Values(NoticeCase{"ypnpep", {0, 1, 2}, 3},
                                           NoticeCase{"ynep", {2}, 1}, /* three notices, one poll */
                                           NoticeCase{"ytp", {0}, 2},  /* the tick came first */
                                           NoticeCase{"yptnpt", {0, 1}, 4}, NoticeCase{"yntep", {1, 2}, 2},
                                           NoticeCase{"qynpt", {1}, 1})); /* no notices: the tick as before */

/*
 * The signature fails (a missing folder) and its box stays open while the
 * player moves on three times: early polls and a tick run inside it, no
 * second box opens, and the log holds every track once, in order.
 */
TEST_F(NoticeTest, NoticesAndTicksInsideAWarningBox)
{
    Start("UseSignature=1\r\nSignatureFileName=" + Path("missing\\sig.txt") + "\r\nRecordSignatureFileName=1\r\n" +
          LogSettings(0, 1));
    SetPlaylist({"C:\\0.mp3", "C:\\1.mp3", "C:\\2.mp3", "C:\\3.mp3"}, 0);
    rig::Boxes().clear();
    rig::OnBox([this](const rig::Box &) { Do("npetnp"); });
    Do("yp");
    rig::OnBox(nullptr);
    Do("pt");
    EXPECT_EQ(std::vector<std::string>({"WinAmp started", "C:\\0.mp3", "C:\\1.mp3", "C:\\2.mp3", "C:\\3.mp3"}),
              LogTexts());
    EXPECT_EQ(1u, rig::Boxes().size());
}

/*
 * A poll still queued at quit does nothing: inside the box that quit shows
 * (the hook is still there), nor once the DLL is gone (the player's own
 * procedure gets it).
 */
TEST_F(NoticeTest, QueuedEarlyPollAfterQuitDoesNothing)
{
    UINT early = RegisterWindowMessageA(EARLY_POLL_MESSAGE_NAME);
    std::vector<std::string> expected;
    for (bool boxAtQuit : {true, false}) {
        Start(boxAtQuit ? "UseSignature=1\r\nSignatureFileName=" + Path("missing\\sig.txt") + "\r\n" + LogSettings(0, 1)
                        : LogSettings(0, 1));
        SetPlaylist({"C:\\0.mp3", "C:\\1.mp3"}, 0);
        Do("ypn");
        Player().Received.clear();
        Player().Watched = {early};
        rig::OnBox([this](const rig::Box &) { Do("p"); });
        StopPlugin();
        rig::OnBox(nullptr);
        expected.insert(expected.end(), {"WinAmp started", "C:\\0.mp3", "WinAmp quit"});
        EXPECT_EQ(expected, LogTexts());
        EXPECT_EQ(boxAtQuit ? 0u : 1u, Player().Received.size()) << boxAtQuit;
    }
}

} // namespace
