/*
 * Benchmark of the stream outputs under wine64, the plug-in's code called
 * directly with the stand-in player as the host window:
 *
 *  - a poll tick without a change with the text output on, against the four
 *    bare queries it makes (position, length, wide file name, play state;
 *    goal: at most 1.2 times);
 *  - a track change's stream text (the player's four further fields, the
 *    template filled, UTF-8, written to the side and moved over the file)
 *    against the signature's own write of the same change (goal: at most 2
 *    times);
 *  - the cover from a 1 MB JPEG in an ID3v2 APIC frame to the PNG file
 *    (goal: under 30 ms).
 */
#include "kestrune.h"

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "bench/timing.h"
#include "player/player.h"
#include "tests/rig/rig.h"
#include "watch/writers.h"

namespace
{

const int QuietTicks = 100000;
const int Changes = 1000;
const int Covers = 10;

std::string BenchFolder()
{
    char path[MAX_PATH];
    GetModuleFileNameA(NULL, path, MAX_PATH);
    std::string folder(path);
    folder = folder.substr(0, folder.rfind('\\') + 1) + "stream-bench\\";
    CreateDirectoryA(folder.c_str(), NULL);
    return folder;
}

void WriteWholeFile(const std::string &path, const std::string &bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD written = 0;
    WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, NULL);
    CloseHandle(file);
}

/* A JPEG of about a megabyte: noise over gradients, 1400 x 1400. */
std::string NoisyJpeg()
{
    const UINT side = 1400;
    std::vector<DWORD> pixels(side * side);
    unsigned seed = 12345;
    for (UINT i = 0; i < side * side; ++i) {
        seed = seed * 1103515245 + 12345;
        pixels[i] = 0xFF000000 | ((i % side) * 255 / side) << 16 | (seed >> 8 & 0xFFFF);
    }
    return rig::EncodeImage(rig::IMAGE_JPEG, side, side, pixels);
}

/* An MP3 whose ID3v2.3 tag holds the picture as its front cover. */
std::string Mp3WithCover(const std::string &jpeg)
{
    std::string body = std::string("\0image/jpeg\0\x03\0", 14) + jpeg;
    std::string frame = "APIC";
    for (int shift = 24; shift >= 0; shift -= 8)
        frame += (char)(body.size() >> shift & 0xFF);
    frame += std::string(2, '\0') + body;
    size_t size = frame.size();
    std::string header = "ID3\x03";
    header += '\0';
    header += '\0';
    for (int shift = 21; shift >= 0; shift -= 7)
        header += (char)(size >> shift & 0x7F);
    return header + frame + std::string(4096, '\x55');
}

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
        sink = sink + SendMessageA(player, WM_USER, 0, HOST_GET_PLAY_STATUS);
    }
    return (Now() - start) / QuietTicks;
}

/* The two titles a change alternates between, so that every change has a new text. */
void AlternateTitle(int i) { lstrcpyW(NowPlaying.TitleW, i & 1 ? L"Second song" : L"First song"); }

double StreamTexts()
{
    double start = Now();
    for (int i = 0; i < Changes; ++i) {
        AlternateTitle(i);
        StreamTrackChanged();
    }
    return (Now() - start) / Changes;
}

double SignatureWrites()
{
    double start = Now();
    for (int i = 0; i < Changes; ++i) {
        AlternateTitle(i);
        WriteSignatureQuietly();
    }
    return (Now() - start) / Changes;
}

double CoverWrites(const wchar_t *target)
{
    double best = 1e9;
    for (int i = 0; i < Covers; ++i) {
        double start = Now();
        WriteStreamCover(target, 500);
        best = Best(best, Now() - start);
    }
    return best;
}

} // namespace

int main()
{
    std::string folder = BenchFolder();
    PluginRecord.HostMainWindow = PlayerCreateWindow();
    if (!PluginRecord.HostMainWindow) {
        fprintf(stderr, "stream bench: the stand-in player's window cannot be created\n");
        return 1;
    }
    std::wstring track = L"Z:\\no folder\\song.flac";
    Player().Playlist.resize(1);
    Player().Playlist[0].WideFile = track;
    Player().Playlist[0].WideTitle = L"Song";
    Player().Metadata[track] = {{L"artist", L"Some band"}, {L"title", L"Song"}, {L"album", L"Some album"}};
    Player().Status = 1;
    AskPlayerVersion();

    /* The text on (its template with the player's title), the signature as the text's yardstick. */
    ZeroMemory(&Settings, sizeof Settings);
    strcpy(Settings.StreamTextFileName, (folder + "now.txt").c_str());
    strcpy(Settings.StreamTemplate, "[%artist% - ]%title%");
    strcpy(Settings.SignatureFileName, (folder + "sig.txt").c_str());
    Settings.RecordSignatureTitle = 1;
    Settings.RecordSignatureFileName = 1;
    PollHost(NULL, WM_TIMER, 1, 0);  /* the first tick takes the track and writes the text */
    NowPlaying.TextsCurrent = false; /* the title comes from the player's title, which alternates */

    double quiet = 1e9, bare = 1e9, text = 1e9, signature = 1e9;
    for (int round = 0; round < Rounds; ++round) {
        quiet = Best(quiet, QuietTick());
        bare = Best(bare, BareQueries());
        text = Best(text, StreamTexts());
        signature = Best(signature, SignatureWrites());
    }

    std::string jpeg = NoisyJpeg();
    std::string cover = folder + "cover.png";
    WriteWholeFile(folder + "cover.mp3", Mp3WithCover(jpeg));
    MultiByteToWideChar(CP_ACP, 0, (folder + "cover.mp3").c_str(), -1, NowPlaying.FileNameW, PATH_SIZE);
    wchar_t target[PATH_SIZE];
    MultiByteToWideChar(CP_ACP, 0, cover.c_str(), -1, target, PATH_SIZE);
    double coverTime = CoverWrites(target);
    PlayerDestroyWindow();

    double quietRatio = quiet / bare, textRatio = text / signature;
    printf("tick, text output on:   %8.3f us   four bare queries:     %8.3f us   ratio %.2f (goal <= 1.2) %s\n",
           quiet * 1e6, bare * 1e6, quietRatio, quietRatio <= 1.2 ? "met" : "MISSED");
    printf("stream text of a change:%8.3f us   the signature's write: %8.3f us   ratio %.2f (goal <= 2.0) %s\n",
           text * 1e6, signature * 1e6, textRatio, textRatio <= 2.0 ? "met" : "MISSED");
    printf("cover from a %.2f MB JPEG (1400 x 1400) to a 500-pixel PNG: %.1f ms (goal < 30 ms) %s\n",
           jpeg.size() / 1048576.0, coverTime * 1e3, coverTime < 0.030 ? "met" : "MISSED");
    printf("(best of %d rounds: %d ticks, %d changes per round; best of %d covers)\n", Rounds, QuietTicks, Changes,
           Covers);
    return jpeg.empty() ? 1 : 0;
}
