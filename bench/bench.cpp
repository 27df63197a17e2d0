/*
 * Benchmark of the track watcher against the bare system calls it cannot
 * avoid, in one run under wine64:
 *
 *  - a poll tick without a track change, against the three bare SendMessage
 *    queries it makes to the player, a Unicode-capable one (position,
 *    length, the wide file name; goal: at most 1.2 times);
 *  - a tick with a track change (tag read, signature rewritten, log entry
 *    appended), against the bare file operations that change needs: open,
 *    seek and read 128 bytes of the new file; create and write the signature
 *    in four writes; open the log, move to its end, read the clock and
 *    append three writes (goal: at most 2 times).
 *
 * The plug-in's code is called directly (PollHost) with the stand-in player
 * as the host window; no other part of the plug-in runs.  Each measurement
 * is repeated in alternating rounds and the best round counts, which keeps
 * the noise of a shared machine out of the ratios.
 *
 * Then the time from the player starting a track to the signature file
 * naming it, with and without the player's notice (goal: under 20 ms with
 * it; without it the change waits for the next tick, half a second on
 * average).  Here the real DLL runs in the stand-in player with its real
 * 1000 ms poll timer, see StartToSignature below.
 */
#include "kestrune.h"

#include <stdio.h>
#include <string.h>

#include <string>

#include "bench/timing.h"
#include "player/player.h"

namespace
{

const int QuietTicks = 100000;
const int Changes = 1000;

std::string Folder()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, path, sizeof path);
    std::string folder(path, length);
    folder = folder.substr(0, folder.rfind('\\') + 1) + "tmp\\";
    CreateDirectoryA(folder.c_str(), NULL);
    folder += "bench\\";
    CreateDirectoryA(folder.c_str(), NULL);
    return folder;
}

void WriteWholeFile(const std::string &path, const std::string &bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    DWORD written = 0;
    WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, NULL);
    CloseHandle(file);
}

std::string Mp3(const std::string &title)
{
    std::string field = title;
    field.resize(30, ' ');
    return std::string(4096, '\x55') + "TAG" + field + "Some band" + std::string(21, ' ') + "Some album" +
           std::string(20, ' ') + "2005" + std::string(30, '\0') + "\x11";
}

/* ---- tick without a change ---- */

double QuietTick()
{
    double start = Now();
    for (int i = 0; i < QuietTicks; ++i)
        PollHost(NULL, WM_TIMER, 1, (DWORD)i);
    return (Now() - start) / QuietTicks;
}

double BareQueries()
{
    HWND player = PlayerWindow();
    volatile LRESULT sink = 0;
    double start = Now();
    for (int i = 0; i < QuietTicks; ++i) {
        LRESULT position = SendMessageA(player, WM_USER, 0, HOST_GET_LIST_POSITION);
        sink = sink + SendMessageA(player, WM_USER, 0, HOST_GET_LIST_LENGTH);
        sink = sink + SendMessageA(player, WM_USER, (WPARAM)position, HOST_GET_PLAYLIST_FILE_W);
    }
    return (Now() - start) / QuietTicks;
}

/* ---- tick with a change ---- */

double ChangeTick()
{
    double start = Now();
    for (int i = 0; i < Changes; ++i) {
        Player().Position ^= 1;
        PollHost(NULL, WM_TIMER, 1, (DWORD)i);
    }
    return (Now() - start) / Changes;
}

void BareWrite(HANDLE file, const char *bytes, size_t length)
{
    DWORD written = 0;
    WriteFile(file, bytes, (DWORD)length, &written, NULL);
}

double BareFileOperations(const std::string files[2], const std::string &signature, const std::string &log)
{
    static const char LeadIn[] = "-- \r\n\r\nThe last song I started on my PC was: ";
    std::string title = "Title of the song\r\n";
    std::string name = files[0] + "\r\n";
    std::string line = "This is track 2 of 2 in the current playlist.\r\n";
    std::string header = "\f2005-03-07 09:05:02 WinAmp\r\n\r\n";
    std::string entry = "Title of the song\r\n" + files[0];
    unsigned char block[TAG_BLOCK_SIZE];
    double start = Now();
    for (int i = 0; i < Changes; ++i) {
        HANDLE file = CreateFileA(files[i & 1].c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                                  FILE_FLAG_SEQUENTIAL_SCAN, NULL);
        LARGE_INTEGER distance, end;
        distance.QuadPart = -TAG_BLOCK_SIZE;
        SetFilePointerEx(file, distance, NULL, FILE_END);
        DWORD got = 0;
        ReadFile(file, block, sizeof block, &got, NULL);
        CloseHandle(file);

        file = CreateFileA(signature.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, NULL, CREATE_ALWAYS,
                           FILE_FLAG_SEQUENTIAL_SCAN, NULL);
        BareWrite(file, LeadIn, sizeof LeadIn - 1);
        BareWrite(file, title.data(), title.size());
        BareWrite(file, name.data(), name.size());
        BareWrite(file, line.data(), line.size());
        CloseHandle(file);

        file = CreateFileA(log.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, NULL, OPEN_ALWAYS, FILE_FLAG_SEQUENTIAL_SCAN,
                           NULL);
        distance.QuadPart = 0;
        SetFilePointerEx(file, distance, &end, FILE_END);
        SYSTEMTIME now;
        GetLocalTime(&now);
        BareWrite(file, header.data(), header.size());
        BareWrite(file, entry.data(), entry.size());
        BareWrite(file, "\r\n\r\n", 4);
        CloseHandle(file);
    }
    return (Now() - start) / Changes;
}

/* ---- from the start of a track to the signature file ----
 *
 * The real gen_Kestrune.dll is loaded by the stand-in player from
 * tmp\bench\Plugins\ and runs as in the player: hook, real 1000 ms poll
 * timer, signature and log on.  The player ends its current track and
 * starts the next; the clock runs until the signature file names it,
 * read after every message the thread dispatches.
 *
 * Without the notice the change waits for the next tick, so the result
 * depends on where in the timer's second the track starts.  The phase is
 * set, not left to chance: the previous start was taken by a tick, so
 * waiting d after its detection starts the next track d after a tick.
 * The starts fall evenly over the period, at (k + 1/2) / n of it, which
 * gives the average over a track start at a random moment.  The starts
 * with the notice use the same waits.
 */

const int Starts = 12;
const double TimerPeriod = 1.0; /* seconds: the plug-in's poll timer */

std::string ReadWholeFile(const std::string &path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return "";
    char bytes[4096];
    DWORD got = 0;
    ReadFile(file, bytes, sizeof bytes, &got, NULL);
    CloseHandle(file);
    return std::string(bytes, got);
}

/*
 * Dispatches the thread's messages until the deadline or, when a line is
 * given, until the signature file holds it after a message; true then.
 */
bool PumpUntil(double deadline, const std::string &signature = "", const std::string &line = "")
{
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
            if (!line.empty() && ReadWholeFile(signature).find(line) != std::string::npos)
                return true;
        }
        double left = deadline - Now();
        if (left <= 0)
            return false;
        MsgWaitForMultipleObjects(0, NULL, FALSE, (DWORD)(left * 1000) + 1, QS_ALLINPUT);
    }
}

std::string TrackLine(int entry) { return "This is track " + std::to_string(entry + 1) + " of "; }

/* The current track ends and the player starts the next: seconds until the signature names it (3 s at most). */
double StartToSignature(const std::string &signature)
{
    std::string line = TrackLine(Player().Position + 1);
    double start = Now();
    PlayerEndTrack();
    PumpUntil(start + 3.0, signature, line);
    return Now() - start;
}

struct Latency {
    double Mean = 0, Least = 1e9, Most = 0;
};

Latency MeasureStarts(bool notices, const std::string &signature)
{
    Player().SendsNotices = notices;
    Latency latency;
    for (int k = 0; k < Starts; ++k) {
        PumpUntil(Now() + (k + 0.5) / Starts * TimerPeriod);
        double seconds = StartToSignature(signature);
        latency.Mean += seconds / Starts;
        latency.Least = Best(latency.Least, seconds);
        latency.Most = seconds > latency.Most ? seconds : latency.Most;
    }
    return latency;
}

bool StartRealPlugin(const std::string &folder, const std::string &signature)
{
    std::string plugins = folder + "Plugins\\";
    CreateDirectoryA(plugins.c_str(), NULL);
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, path, sizeof path);
    std::string dll(path, length);
    dll = dll.substr(0, dll.rfind('\\') + 1) + "gen_Kestrune.dll";
    if (!CopyFileA(dll.c_str(), (plugins + "gen_Kestrune.dll").c_str(), FALSE))
        return false;
    WriteWholeFile(signature, "");
    DeleteFileA((folder + "dll-log.txt").c_str());
    WriteWholeFile(plugins + "plugin.ini", "[Vellacord_Tovk]\r\nAlwaysConfigureOnLaunch=0\r\nUseNowPlaying=0\r\n"
                                           "UseSignature=1\r\nSignatureFileName=" +
                                               signature + "\r\nUseLog=1\r\nLogFileName=" + folder +
                                               "dll-log.txt\r\nAutoClipboardCopyFileName=0\r\n"
                                               "AutoClipboardCopyTitle=0\r\n");
    return PlayerLoadPlugin(plugins) && PlayerStartPlugin() == 0;
}

/* False when the plug-in could not be started. */
bool MeasureTrackStarts(const std::string &folder, const std::string files[2], Latency *with, Latency *without)
{
    std::string signature = folder + "dll-sig.txt";
    Player().Playlist.clear();
    for (int i = 0; i < 2 * Starts + 3; ++i) {
        PlayerEntry entry;
        entry.File = files[i & 1];
        entry.Title = "Track " + std::to_string(i + 1);
        Player().Playlist.push_back(entry);
    }
    Player().Position = 0;
    Player().Status = 0;
    if (!StartRealPlugin(folder, signature))
        return false;
    SendMessageA(PlayerWindow(), WM_COMMAND, PLAYER_PLAY, 0);
    PumpUntil(Now() + 3.0, signature, TrackLine(0));
    Player().SendsNotices = false;
    StartToSignature(signature); /* taken by a tick: the phase is known from here */
    *without = MeasureStarts(false, signature);
    *with = MeasureStarts(true, signature);
    PlayerStopPlugin();
    PlayerPump();
    return true;
}

void PrintTrackStarts(const Latency &with, const Latency &without)
{
    printf("track start to signature, with the notice:    mean %8.3f ms   min %8.3f   max %8.3f   "
           "(goal: every one < 20 ms) %s\n",
           with.Mean * 1e3, with.Least * 1e3, with.Most * 1e3, with.Most < 0.020 ? "met" : "MISSED");
    printf("track start to signature, without the notice: mean %8.3f ms   min %8.3f   max %8.3f   "
           "(the next tick)\n",
           without.Mean * 1e3, without.Least * 1e3, without.Most * 1e3);
    printf("(%d starts each: the real DLL in the stand-in player with its real 1000 ms poll timer; the starts "
           "fall at (k + 1/2)/%d of the timer's period after a tick, k = 0..%d)\n",
           Starts, Starts, Starts - 1);
}

} // namespace

int main()
{
    std::string folder = Folder();
    std::string files[2] = {folder + "first.mp3", folder + "second.mp3"};
    WriteWholeFile(files[0], Mp3("First song"));
    WriteWholeFile(files[1], Mp3("Second song"));
    DeleteFileA((folder + "sig.txt").c_str());
    DeleteFileA((folder + "log.txt").c_str());
    DeleteFileA((folder + "bare-sig.txt").c_str());
    DeleteFileA((folder + "bare-log.txt").c_str());

    PluginRecord.HostMainWindow = PlayerCreateWindow();
    if (!PluginRecord.HostMainWindow) {
        fprintf(stderr, "bench: the stand-in player's window cannot be created\n");
        return 1;
    }
    Player().Playlist.resize(2);
    for (int i = 0; i < 2; ++i) {
        Player().Playlist[i].File = files[i];
        Player().Playlist[i].Title = i ? "Title of the second song" : "Title of the first song";
    }
    Player().Position = 0;
    Player().LengthSeconds = 215;
    /* A Unicode-capable player (the stand-in's own version): the tick asks for the wide name. */
    AskPlayerVersion();

    /* Signature and log on, as a user has them; no Now Playing window, no clipboard. */
    ZeroMemory(&Settings, sizeof Settings);
    Settings.UseSignature = 1;
    Settings.RecordSignatureTitle = 1;
    Settings.RecordSignatureFileName = 1;
    strcpy(Settings.SignatureFileName, (folder + "sig.txt").c_str());
    Settings.UseLog = 1;
    Settings.RecordLogTitle = 1;
    Settings.RecordLogFileName = 1;
    strcpy(Settings.LogFileName, (folder + "log.txt").c_str());

    PollHost(NULL, WM_TIMER, 1, 0); /* the first tick takes the current track */
    double quiet = 1e9, bare = 1e9, change = 1e9, bareChange = 1e9;
    for (int round = 0; round < Rounds; ++round) {
        if (round & 1) {
            bare = Best(bare, BareQueries());
            quiet = Best(quiet, QuietTick());
            bareChange = Best(bareChange, BareFileOperations(files, folder + "bare-sig.txt", folder + "bare-log.txt"));
            change = Best(change, ChangeTick());
        } else {
            quiet = Best(quiet, QuietTick());
            bare = Best(bare, BareQueries());
            change = Best(change, ChangeTick());
            bareChange = Best(bareChange, BareFileOperations(files, folder + "bare-sig.txt", folder + "bare-log.txt"));
        }
    }
    Latency with, without;
    bool started = MeasureTrackStarts(folder, files, &with, &without);
    PlayerDestroyWindow();

    double quietRatio = quiet / bare;
    double changeRatio = change / bareChange;
    printf("tick without a change:  %8.3f us   three bare queries:    %8.3f us   ratio %.2f (goal <= 1.2) %s\n",
           quiet * 1e6, bare * 1e6, quietRatio, quietRatio <= 1.2 ? "met" : "MISSED");
    printf("tick with a change:     %8.3f us   bare file operations:  %8.3f us   ratio %.2f (goal <= 2.0) %s\n",
           change * 1e6, bareChange * 1e6, changeRatio, changeRatio <= 2.0 ? "met" : "MISSED");
    printf("(best of %d rounds: %d ticks without a change, %d track changes per round)\n", Rounds, QuietTicks, Changes);
    if (started)
        PrintTrackStarts(with, without);
    if (!started) {
        fprintf(stderr, "bench: the real gen_Kestrune.dll could not be started from %sPlugins\\\n", folder.c_str());
        return 1;
    }
    return 0;
}
