/*
 * Benchmark of the track watcher against the bare system calls it cannot
 * avoid, in one run under wine64:
 *
 *  - a poll tick without a track change, against the three bare SendMessage
 *    queries it makes to the player (goal: at most 1.2 times);
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
        sink = sink + SendMessageA(player, WM_USER, (WPARAM)position, HOST_GET_PLAYLIST_FILE);
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
    PlayerDestroyWindow();

    double quietRatio = quiet / bare;
    double changeRatio = change / bareChange;
    printf("tick without a change:  %8.3f us   three bare queries:    %8.3f us   ratio %.2f (goal <= 1.2) %s\n",
           quiet * 1e6, bare * 1e6, quietRatio, quietRatio <= 1.2 ? "met" : "MISSED");
    printf("tick with a change:     %8.3f us   bare file operations:  %8.3f us   ratio %.2f (goal <= 2.0) %s\n",
           change * 1e6, bareChange * 1e6, changeRatio, changeRatio <= 2.0 ? "met" : "MISSED");
    printf("(best of %d rounds: %d ticks without a change, %d track changes per round)\n", Rounds, QuietTicks, Changes);
    return 0;
}
