/*
 * kestrune_player_demo.exe: the stand-in player loads gen_Kestrune.dll from
 * a Plugins folder beside itself, with the test rig attached, moves through
 * a small playlist of real MP3 files that the demo writes beside itself,
 * shows each of the plug-in's windows at work (demo_windows.cpp) with a
 * screenshot of each, and quits, printing what the plug-in did on the way.
 * Exits with 1 when a window it should show did not appear.
 */
#include "player/demo.h"
#include "player/player.h"
#include "player/screenshot.h"
#include "player/silent_mp3.h"
#include "res/resource.h"
#include "tests/rig/rig.h"

#include <shellapi.h>
#include <shlobj.h>

#include <stdio.h>

#include <vector>

static size_t BoxesShown;
static size_t DebugTextsShown;

static std::string Printable(const std::string &text)
{
    std::string shown;
    for (char c : text) {
        if (c == '\r')
            shown += "\\r";
        else if (c == '\n')
            shown += "\\n";
        else if (c == '\f')
            shown += "\\f";
        else if (c == '\t')
            shown += "\\t";
        else
            shown += c;
    }
    return shown;
}

void PrintNewBoxesAndDebugOutput(void)
{
    for (; BoxesShown < rig::Boxes().size(); BoxesShown++) {
        const rig::Box &box = rig::Boxes()[BoxesShown];
        printf("  box: owner %p, caption \"%s\", flags 0x%x\n       text \"%s\"\n", (void *)box.Owner,
               box.Caption.c_str(), box.Flags, Printable(box.Text).c_str());
    }
    for (; DebugTextsShown < rig::DebugOutput().size(); DebugTextsShown++)
        printf("  debugger output: \"%s\"\n", Printable(rig::DebugOutput()[DebugTextsShown]).c_str());
}

static const char *TrayAction(DWORD action)
{
    switch (action) {
    case NIM_ADD:
        return "NIM_ADD";
    case NIM_MODIFY:
        return "NIM_MODIFY";
    case NIM_DELETE:
        return "NIM_DELETE";
    }
    return "other";
}

static void PrintTrayCalls(size_t from)
{
    for (size_t i = from; i < rig::TrayCalls().size(); i++) {
        const rig::TrayCall &call = rig::TrayCalls()[i];
        printf("  tray icon %s: size %lu, window %p, id %u, flags %u, callback message %u, icon %p -> %d\n",
               TrayAction(call.Action), (unsigned long)call.Size, (void *)call.Window, call.Id, call.Flags,
               call.CallbackMessage, (void *)call.Icon, call.Result);
        if (!call.Icon && call.Action != NIM_DELETE && !rig::IconResourcesLoad())
            printf("  (no icon handle: %s)\n", rig::IconResourcesFailure().c_str());
    }
}

static void PrintFile(const char *label, const std::string &path)
{
    if (!rig::FileExists(path)) {
        printf("%s (%s): not written\n", label, path.c_str());
        return;
    }
    std::string text = rig::ReadFile(path);
    printf("%s (%s), %u bytes:\n", label, path.c_str(), (unsigned)text.size());
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        printf("  | %s\n", Printable(text.substr(start, end - start)).c_str());
        start = end + 1;
    }
}

/*
 * The marquee's four rows in the demo's plugin.ini, in the row order
 * Title, Artist, Album, Time: font description (height, width, escapement,
 * orientation, weight, italic, underline, strike-out, character set,
 * precisions, quality, pitch and family), face and colour.  The faces are
 * those of the DejaVu family, which every Debian machine with fontconfig
 * has, and which Wine finds through it.
 */
static const struct {
    const char *Row;
    const char *Description;
    const char *Face;
    COLORREF Colour;
} MarqueeRows[] = {
    {"Title", "-104:0:0:0:700:0:0:0:0:0:0:4:0", "DejaVu Serif", RGB(255, 204, 72)},
    {"Artist", "-64:0:0:0:400:0:0:0:0:0:0:4:0", "DejaVu Sans", RGB(140, 200, 255)},
    {"Album", "-52:0:0:0:400:1:0:0:0:0:0:4:0", "DejaVu Serif", RGB(214, 176, 255)},
    {"Time", "-60:0:0:0:700:0:0:0:0:0:0:4:0", "DejaVu Sans Mono", RGB(128, 232, 176)},
};
static const COLORREF MarqueeBackground = RGB(18, 26, 48);

/*
 * Where the demo's files go, as on a real installation: the player under
 * "C:\Program Files (x86)\Winamp", the signature, log and stream files in
 * the user's Documents, the music and the master playlist in the user's
 * Music folder.
 */
static const char PlayerFolder[] = "C:\\Program Files (x86)\\Winamp\\";
static std::string DocumentsFolder;
static std::string SignaturePath;
static std::string MusicFolder;
static std::string StreamFolder;

/* A folder of the user's profile, with a backslash; fallback where the system does not tell. */
static std::string UserFolder(int folder, const std::string &fallback)
{
    char path[MAX_PATH] = "";
    if (FAILED(SHGetFolderPathA(NULL, folder | CSIDL_FLAG_CREATE, NULL, 0, path)) || !path[0])
        return fallback;
    return std::string(path) + "\\";
}

/* The settings the demo starts with: its own files, no dialog at start, the marquee's styles and the stream outputs. */
static std::string DemoSettings(void)
{
    std::string ini = "[Vellacord_Tovk]\r\n"
                      "AlwaysConfigureOnLaunch=0\r\n"
                      "UseNowPlaying=0\r\n"
                      "SignatureFileName=" +
                      DocumentsFolder + "signature.txt\r\nLogFileName=" + DocumentsFolder +
                      "kestrune.log\r\nM3UFileName=" + MusicFolder +
                      "master.m3u\r\nMarqueeBackground=" + std::to_string(MarqueeBackground) + "\r\n" +
                      "StreamTextFileName=" + StreamFolder + "now-playing.txt\r\nStreamCoverFileName=" + StreamFolder +
                      "cover.png\r\nStreamStoppedText=Off air - back soon\r\n";
    for (const auto &row : MarqueeRows)
        ini += std::string("MarqueeForeground_") + row.Row + "=" + std::to_string(row.Colour) + "\r\nFont_" + row.Row +
               "_Description=" + row.Description + "\r\nFONT_" + row.Row + "_FaceName=" + row.Face + "\r\nFONT_" +
               row.Row + "_Display=1\r\n";
    return ini;
}

/* Lays out the Plugins folder: the DLL, a settings file and an empty signature file. */
static bool PreparePluginsFolder(const std::string &plugins)
{
    rig::MakeFolders(plugins);
    for (const char *old : {"plugin.ini", "gen_Kestrune.dll"})
        DeleteFileA((plugins + old).c_str());
    for (const char *old : {"kestrune.log", "signature.txt"})
        DeleteFileA((DocumentsFolder + old).c_str());
    DeleteFileA((MusicFolder + "master.m3u").c_str());
    std::string dll = rig::BuildPath(KESTRUNE_DLL_UNDER_TEST);
    if (!CopyFileA(dll.c_str(), (plugins + "gen_Kestrune.dll").c_str(), FALSE)) {
        printf("cannot copy %s to %s (error %lu)\n", dll.c_str(), plugins.c_str(), GetLastError());
        return false;
    }
    rig::WriteFile(plugins + "plugin.ini", DemoSettings());
    rig::WriteFile(SignaturePath, "");
    printf("a %d-bit stand-in player; the DLL under test: %s\n", (int)sizeof(void *) * 8, dll.c_str());
    printf("Plugins folder: %s\n", plugins.c_str());
    PrintFile("plugin.ini before start", plugins + "plugin.ini");
    return true;
}

/*
 * The demo's playlist: real MP3 files that it writes into a Music folder
 * beside itself, each a second and a quarter of silence with an ID3v1 tag.
 * The stand-in player reports the lengths of its own entries, as the player
 * reports what it has read of a file.
 */
struct DemoTrack {
    const char *File;
    Mp3Tag Tag;
    int LengthSeconds;
};
static const DemoTrack Tracks[] = {
    {"Morning Walk.mp3",
     {"Morning Walk", "The Quiet Harbours", "Lanterns at Low Tide", "2021", "Silence, written by the demo", 1, 12},
     185},
    {"Harbour Lights.mp3",
     {"Harbour Lights", "The Quiet Harbours", "Lanterns at Low Tide", "2021", "Silence, written by the demo", 4, 12},
     242},
    {"Last Train.mp3",
     {"Last Train Home", "Mira Calloway", "Paper Constellations", "2023", "Silence, written by the demo", 7, 8},
     301},
};
enum { DEMO_FRAMES = 48 };

/*
 * Two entries for every format and every name: a FLAC file without any
 * ID3v1 tag, whose texts only the player tells (the stand-in does not
 * decode it: it holds only the stream's header), and an MP3 file named in
 * Japanese, outside the Western code page, whose tag is read through its
 * wide name.  They play between the first and the second MP3 file.
 */
static const wchar_t FlacFile[] = L"Tidal Drift.flac";
static const wchar_t JapaneseFile[] = L"\x591C\x660E\x3051\x306E\x6B4C.mp3";
static const wchar_t JapaneseTitle[] = L"\x30DF\x30E9\x30FB\x30AB\x30ED\x30A6\x30A7\x30A4 - "
                                       L"\x591C\x660E\x3051\x306E\x6B4C";
static const Mp3Tag JapaneseTag = {
    "Yoake no Uta", "Mira Calloway", "Paper Constellations", "2023", "Silence, written by the demo", 2, 8};

/* "fLaC" and a last STREAMINFO block: 4096-sample blocks, 44.1 kHz, stereo, 16 bits, length unknown. */
/*
 * The demo's cover picture, made with the system's imaging component: a
 * low sun over a darkening sea, 640 x 640, as a PNG.  Empty where the
 * component is not there.
 */
static std::string CoverPicture(void)
{
    const UINT side = 640;
    std::vector<DWORD> pixels(side * side);
    for (UINT y = 0; y < side; ++y)
        for (UINT x = 0; x < side; ++x) {
            int dx = (int)x - 420, dy = (int)y - 300;
            bool sun = dx * dx + dy * dy < 90 * 90 && y < 330;
            DWORD sky = RGB(40 + y / 5, 60 + y / 6, 120 + y / 8), sea = RGB(10, 30 + (640 - y) / 8, 60 + (640 - y) / 6);
            DWORD colour = sun ? RGB(255, 196, 80) : y < 330 ? sky : sea;
            pixels[y * side + x] = 0xFF000000 | GetRValue(colour) << 16 | GetGValue(colour) << 8 | GetBValue(colour);
        }
    return rig::EncodeImage(rig::IMAGE_PNG, side, side, pixels);
}

static std::string BigEndian(size_t value, int bytes)
{
    std::string out;
    for (int i = bytes - 1; i >= 0; --i)
        out += (char)(value >> (8 * i) & 0xFF);
    return out;
}

/* The start of a FLAC stream: its STREAMINFO block, then the cover as a PICTURE block (front cover). */
static std::string FlacHeader(const std::string &cover)
{
    static const unsigned char StreamInfo[] = {0x00, 0x00, 0x00, 0x22, 0x10, 0x00, 0x10, 0x00, 0x00, 0x00, 0x00,
                                               0x00, 0x00, 0x00, 0x0A, 0xC4, 0x42, 0xF0, 0x00, 0x00, 0x00, 0x00};
    std::string picture = BigEndian(3, 4) + BigEndian(9, 4) + "image/png" + BigEndian(0, 4) + BigEndian(640, 4) +
                          BigEndian(640, 4) + BigEndian(32, 4) + BigEndian(0, 4) + BigEndian(cover.size(), 4) + cover;
    return "fLaC" + std::string((const char *)StreamInfo, sizeof StreamInfo) + std::string(16, '\0') + "\x86" +
           BigEndian(picture.size(), 3) + picture;
}

static std::wstring WideMusicPath(const wchar_t *name)
{
    wchar_t folder[MAX_PATH] = L"";
    MultiByteToWideChar(CP_ACP, 0, MusicFolder.c_str(), -1, folder, MAX_PATH);
    return std::wstring(folder) + name;
}

static void WriteWideFile(const std::wstring &path, const std::string &bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD written = 0;
    WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, NULL);
    CloseHandle(file);
}

static void WriteDemoMusic(void)
{
    rig::MakeFolders(MusicFolder);
    double seconds = (double)DEMO_FRAMES * SILENT_MP3_FRAME_SAMPLES / SILENT_MP3_SAMPLE_RATE;
    for (const DemoTrack &track : Tracks) {
        std::string bytes = SilentMp3(track.Tag, DEMO_FRAMES);
        rig::WriteFile(MusicFolder + track.File, bytes);
        printf("demo music: %s%s, %u bytes: %d frames of silence (%.2f s), tag \"%s\" / \"%s\" / \"%s\"\n",
               MusicFolder.c_str(), track.File, (unsigned)bytes.size(), DEMO_FRAMES, seconds, track.Tag.Title.c_str(),
               track.Tag.Artist.c_str(), track.Tag.Album.c_str());
    }
    std::string cover = CoverPicture();
    WriteWideFile(WideMusicPath(FlacFile), FlacHeader(cover));
    printf("demo music: %sTidal Drift.flac, the header of a FLAC stream with a %u-byte cover picture and no tag: the "
           "player tells its texts\n",
           MusicFolder.c_str(), (unsigned)cover.size());
    WriteWideFile(WideMusicPath(JapaneseFile), SilentMp3(JapaneseTag, DEMO_FRAMES));
    printf("demo music: %s%s, named in Japanese (the code page's form), tag \"%s\"\n", MusicFolder.c_str(),
           PlayerAnsi(JapaneseFile).c_str(), JapaneseTag.Title.c_str());
}

static void PrintRecord(void)
{
    PlayerPluginRecord *record = PlayerRecord();
    printf("record handed over at %p:\n", (void *)record);
    printf("  version %d\n  description \"%s\"\n", record->Version, record->Description);
    printf("  init %p, config %p, quit %p\n", (void *)record->Init, (void *)record->Config, (void *)record->Quit);
    printf("  written by the player: main window %p, module %p\n", (void *)record->HostMainWindow,
           (void *)record->ModuleInstance);
}

static void PrintTimers(void)
{
    for (const rig::TimerRecord &timer : rig::Timers())
        printf("  timer: window %p, requested id %u, period %u ms, id %u%s\n", (void *)timer.Window,
               (unsigned)timer.RequestedId, timer.Period, (unsigned)timer.Id, timer.Killed ? ", killed" : "");
}

static void PrintRequests(size_t from)
{
    for (size_t i = from; i < Player().Requests.size(); i++) {
        LPARAM code = Player().Requests[i].LParam;
        if (code == HOST_GET_EXTENDED_FILE_INFO || code == HOST_GET_EXTENDED_FILE_INFO_W)
            printf("  asked the player: code %d, a metadata field of the file\n", (int)code);
        else
            printf("  asked the player: code %d, wParam %d\n", (int)code, (int)Player().Requests[i].WParam);
    }
}

/* ---- screenshots and the windows that did not appear ---- */

std::string ScreenshotFolder;
static std::vector<std::string> Failures;

void DemoFailed(const std::string &what)
{
    printf("  FAILED: %s\n", what.c_str());
    Failures.push_back(what);
}

HWND FindShown(const char *className, const char *caption)
{
    for (HWND window = NULL; (window = FindWindowExA(NULL, window, className, caption)) != NULL;)
        if (IsWindowVisible(window) && GetWindowThreadProcessId(window, NULL) == GetCurrentThreadId())
            return window;
    return NULL;
}

static void Reported(const std::string &failure, const char *name)
{
    std::string path = ScreenshotFolder + name + ".bmp";
    if (failure.empty())
        printf("  screenshot: %s\n", path.c_str());
    else
        DemoFailed(std::string("the screenshot ") + name + ": " + failure);
}

void Screenshot(HWND window, const char *name)
{
    Reported(SaveWindowShot(window, ScreenshotFolder + name + ".bmp"), name);
}

void ScreenshotOfRegion(RECT area, const char *name)
{
    Reported(SaveScreenRegion(area, ScreenshotFolder + name + ".bmp"), name);
}

/*
 * Plug-in commands sent to the player's main window, as the tray menu does:
 * the plug-in's hook turns them into the player's own commands.
 */
static void SendPluginCommands(void)
{
    const struct {
        WPARAM Command;
        const char *Name;
    } commands[] = {{ID_PAUSE_RESUME, "ID_PAUSE_RESUME"}, {ID_PREVIOUS_TRACK, "ID_PREVIOUS_TRACK"}};
    for (const auto &command : commands) {
        size_t received = Player().Received.size();
        size_t notices = Player().Notices.size();
        SendMessageA(PlayerWindow(), WM_COMMAND, command.Command, 0);
        PlayerPump();
        printf("plug-in command %s (%u):\n", command.Name, (unsigned)command.Command);
        for (size_t i = received; i < Player().Received.size(); i++)
            printf("  the player received WM_COMMAND %u\n", (unsigned)Player().Received[i].WParam);
        printf("  the player is now at entry %d, status %d\n", Player().Position, Player().Status);
        /* A track the player starts is recorded at the next pass of its message loop, without a tick. */
        for (size_t i = notices; i < Player().Notices.size(); i++)
            printf("  the player's notice: it starts \"%s\"; after one pass of its message loop the signature file "
                   "is \"%s\"\n",
                   (const char *)Player().Notices[i].WParam, Printable(rig::ReadFile(SignaturePath)).c_str());
        PrintNewBoxesAndDebugOutput();
    }
}

/* An entry named in Unicode, as the player knows it. */
static PlayerEntry WideEntry(const wchar_t *file, const std::wstring &title, int lengthSeconds)
{
    PlayerEntry entry;
    entry.WideFile = WideMusicPath(file);
    entry.WideTitle = title;
    entry.LengthSeconds = lengthSeconds;
    return entry;
}

static void PlayThrough(void)
{
    PlayerState &player = Player();
    for (const DemoTrack &track : Tracks) {
        PlayerEntry entry;
        entry.File = MusicFolder + track.File;
        entry.Title = track.Tag.Artist + " - " + track.Tag.Title;
        entry.LengthSeconds = track.LengthSeconds;
        player.Playlist.push_back(entry);
    }
    player.Playlist.insert(player.Playlist.begin() + 1,
                           {WideEntry(FlacFile, L"Tidal Drift", 263), WideEntry(JapaneseFile, JapaneseTitle, 198)});
    player.Metadata[WideMusicPath(FlacFile)] = {{L"title", L"Tidal Drift"},
                                                {L"artist", L"The Quiet Harbours"},
                                                {L"album", L"Lanterns at Low Tide"},
                                                {L"comment", L"Told by the player: the file has no ID3v1 tag"}};
    player.Status = HOST_STATUS_PLAYING;
    player.OutputMs = 0;
    int entries = (int)player.Playlist.size();
    for (int tick = 0; tick <= entries; tick++) {
        player.Position = tick < entries ? tick : entries - 1;
        player.LengthSeconds = player.Playlist[player.Position].LengthSeconds;
        size_t requests = player.Requests.size();
        printf("tick %d: the player is at entry %d \"%s\"\n", tick + 1, player.Position,
               PlayerAnsi(PlayerWideFile(player.Playlist[player.Position])).c_str());
        rig::Tick();
        PlayerPump();
        PrintRequests(requests);
        PrintNewBoxesAndDebugOutput();
        printf("  signature file now: \"%s\"\n", Printable(rig::ReadFile(SignaturePath)).c_str());
        printf("  stream text now: \"%s\" (UTF-8)\n",
               Printable(rig::ReadFile(StreamFolder + "now-playing.txt")).c_str());
        if (PlayerWideFile(player.Playlist[player.Position]) == WideMusicPath(FlacFile) &&
            CopyFileA((StreamFolder + "cover.png").c_str(), (ScreenshotFolder + "stream-cover.png").c_str(), FALSE))
            printf("  stream cover now: the FLAC file's own picture, copied as %sstream-cover.png\n",
                   ScreenshotFolder.c_str());
        player.OutputMs += 1000;
    }
}

int main(void)
{
    setvbuf(stdout, NULL, _IONBF, 0);
    std::string plugins = std::string(PlayerFolder) + "Plugins\\";
    DocumentsFolder = UserFolder(CSIDL_PERSONAL, rig::ExecutableFolder() + "Documents\\");
    MusicFolder = UserFolder(CSIDL_MYMUSIC, rig::ExecutableFolder() + "Music\\");
    SignaturePath = DocumentsFolder + "signature.txt";
    StreamFolder = DocumentsFolder + "Stream\\";
    rig::MakeFolders(StreamFolder);
    ScreenshotFolder = rig::ExecutableFolder() + "screenshots\\";
    rig::RemoveTree(ScreenshotFolder);
    rig::MakeFolders(ScreenshotFolder);
    if (!PreparePluginsFolder(plugins))
        return 1;
    WriteDemoMusic();

    HWND window = PlayerCreateWindow();
    printf("player window %p (class \"KestrunePlayer\")\n", (void *)window);
    rig::Reset();
    rig::OnBox([](const rig::Box &box) { printf("  a box opens: \"%s\" (answered with OK)\n", box.Caption.c_str()); });

    HMODULE module = PlayerLoadPlugin(plugins);
    if (!module) {
        printf("no gen_*.dll could be loaded from %s (error %lu)\n", plugins.c_str(), GetLastError());
        return 1;
    }
    printf("loaded %sgen_Kestrune.dll at %p\n", plugins.c_str(), (void *)module);
    rig::Attach(module);

    int result = PlayerStartPlugin();
    PrintRecord();
    printf("init returned %d\n", result);
    PrintTimers();
    PrintTrayCalls(0);
    PrintNewBoxesAndDebugOutput();

    /*
     * Without drawing no picture can be taken; without text measuring, edit
     * controls crash when they are given a text.
     */
    bool canDraw = rig::DrawingWorks() && rig::TextMeasures();
    if (!canDraw)
        printf("this system cannot draw or measure text (%s), and edit controls given a text would crash here: this "
               "run skips the configuration dialog with the font and colour pickers, the Now Playing layout, the cue "
               "point tweaker and the marquee, and takes no screenshots (the x86_64 run shows them all)\n",
               (rig::DrawingWorks() ? rig::TextMeasuringFailure() : rig::DrawingFailure()).c_str());
    if (canDraw)
        ShowConfigurationDialogAndPickers();
    PlayThrough();
    if (canDraw)
        ShowStreamOutputs();
    Player().OutputMs = 83500;
    printf("the player plays on: %d ms into entry %d\n", Player().OutputMs, Player().Position);
    ShowNowPlayingDialogs(canDraw);
    ShowTrayMenu(canDraw);
    if (canDraw) {
        ShowCuePointTweaker();
        ShowMarquee();
    }
    SendPluginCommands();

    size_t trayCalls = rig::TrayCalls().size();
    printf("quit\n");
    PlayerStopPlugin();
    PlayerPump();
    PrintTimers();
    PrintTrayCalls(trayCalls);
    PrintNewBoxesAndDebugOutput();
    printf("module still loaded after quit: %s\n", GetModuleHandleA("gen_Kestrune.dll") ? "yes" : "no");
    for (const rig::ShellCall &call : rig::ShellCalls())
        printf("  shell \"%s\" \"%s\" (not carried out)\n", call.Verb.c_str(), call.File.c_str());

    PrintFile("settings file", plugins + "plugin.ini");
    PrintFile("log file", DocumentsFolder + "kestrune.log");
    PrintFile("signature file", SignaturePath);
    PrintFile("stream text file", StreamFolder + "now-playing.txt");
    PlayerDestroyWindow();
    if (Failures.empty())
        return 0;
    printf("the demo failed: %u window(s) did not appear or could not be shot:\n", (unsigned)Failures.size());
    for (const std::string &failure : Failures)
        printf("  %s\n", failure.c_str());
    return 1;
}
