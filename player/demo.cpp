/*
 * kestrune_player_demo.exe: the stand-in player loads gen_Kestrune.dll from
 * a Plugins folder beside itself, with the test rig attached, moves through
 * a small playlist and quits, printing what the plug-in did on the way.
 */
#include "player/player.h"
#include "res/resource.h"
#include "tests/rig/rig.h"

#include <shellapi.h>

#include <stdio.h>

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

static void PrintNewBoxesAndDebugOutput(void)
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

/* Lays out the Plugins folder: the DLL, a settings file and an empty signature file. */
static bool PreparePluginsFolder(const std::string &plugins)
{
    rig::MakeFolders(plugins);
    for (const char *old : {"plugin.ini", "kestrune.log", "signature.txt", "gen_Kestrune.dll"})
        DeleteFileA((plugins + old).c_str());
    std::string dll = rig::BuildPath(KESTRUNE_DLL_UNDER_TEST);
    if (!CopyFileA(dll.c_str(), (plugins + "gen_Kestrune.dll").c_str(), FALSE)) {
        printf("cannot copy %s to %s (error %lu)\n", dll.c_str(), plugins.c_str(), GetLastError());
        return false;
    }
    rig::WriteFile(plugins + "plugin.ini", "[Vellacord_Tovk]\r\n"
                                           "AlwaysConfigureOnLaunch=0\r\n"
                                           "UseNowPlaying=0\r\n"
                                           "SignatureFileName=" +
                                               plugins +
                                               "signature.txt\r\n"
                                               "LogFileName=" +
                                               plugins + "kestrune.log\r\n");
    rig::WriteFile(plugins + "signature.txt", "");
    printf("a %d-bit stand-in player; the DLL under test: %s\n", (int)sizeof(void *) * 8, dll.c_str());
    printf("Plugins folder: %s\n", plugins.c_str());
    PrintFile("plugin.ini before start", plugins + "plugin.ini");
    return true;
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
    for (size_t i = from; i < Player().Requests.size(); i++)
        printf("  asked the player: code %d, wParam %d\n", (int)Player().Requests[i].LParam,
               (int)Player().Requests[i].WParam);
}

static std::string SignaturePath;

/*
 * Writes what the screen shows of a window to a 24-bit BMP file.  The
 * virtual display has no window manager, so the screen's pixels are the
 * window's own.
 */
static bool SaveScreenshot(HWND window, const std::string &path)
{
    RECT area;
    GetWindowRect(window, &area);
    int width = area.right - area.left, height = area.bottom - area.top;
    BITMAPINFOHEADER info = {sizeof info, width, -height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    DWORD rowBytes = ((DWORD)width * 3 + 3) & ~3u, imageBytes = rowBytes * (DWORD)height;
    void *pixels = NULL;
    HDC screen = GetDC(NULL), memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, (BITMAPINFO *)&info, DIB_RGB_COLORS, &pixels, NULL, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    bool copied = pixels && BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    if (copied) {
        BITMAPFILEHEADER file = {0x4D42, (DWORD)(sizeof file + sizeof info + imageBytes), 0, 0,
                                 (DWORD)(sizeof file + sizeof info)};
        rig::WriteFile(path, std::string((const char *)&file, sizeof file) +
                                 std::string((const char *)&info, sizeof info) +
                                 std::string((const char *)pixels, imageBytes));
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
    return copied;
}

/*
 * The configuration dialog, opened as the tray menu's "Configure" opens it:
 * what it shows, a screenshot beside the program, and OK, pressed by the
 * rig from inside the dialog's own modal loop.  It shows the signature and
 * log paths in edits, which a system that cannot measure text cannot take
 * (the process would crash): there it is not opened, and the demo says why.
 */
static void ShowConfigurationDialog(void)
{
    if (!rig::TextMeasures()) {
        printf("plug-in command ID_CONFIGURE (%u): the configuration dialog is not opened here: %s\n",
               (unsigned)ID_CONFIGURE, rig::TextMeasuringFailure().c_str());
        return;
    }
    rig::OnDialog("Tovk's WinAmp Logging/Play List Utility Plug-In", [](HWND dialog, int call) {
        if (call == 0) { /* the dialog paints first */
            RedrawWindow(dialog, NULL, NULL, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            return;
        }
        char text[MAX_PATH];
        GetWindowTextA(dialog, text, sizeof text);
        printf("  dialog \"%s\" is open, owned by the player's window\n", text);
        GetDlgItemTextA(dialog, IDC_LOG_EDIT, text, sizeof text);
        printf("  log file \"%s\", use: %s\n", text, IsDlgButtonChecked(dialog, IDC_USE_LOG) ? "yes" : "no");
        GetDlgItemTextA(dialog, IDC_SIGNATURE_EDIT, text, sizeof text);
        printf("  signature file \"%s\", use: %s\n", text,
               IsDlgButtonChecked(dialog, IDC_USE_SIGNATURE) ? "yes" : "no");
        std::string shot = rig::ExecutableFolder() + "config-dialog.bmp";
        printf("  screenshot: %s\n", SaveScreenshot(dialog, shot) ? shot.c_str() : "could not be taken");
        printf("  pressing OK\n");
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    printf("plug-in command ID_CONFIGURE (%u): the configuration dialog\n", (unsigned)ID_CONFIGURE);
    SendMessageA(PlayerWindow(), WM_COMMAND, ID_CONFIGURE, 0);
    printf("  closed; the player's window is %s again\n", IsWindowEnabled(PlayerWindow()) ? "enabled" : "disabled");
    PrintNewBoxesAndDebugOutput();
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

static void PlayThrough(void)
{
    PlayerState &player = Player();
    const char *files[] = {"C:\\Music\\Morning Walk.mp3", "C:\\Music\\Harbour Lights.mp3", "C:\\Music\\Last Train.mp3"};
    int lengths[] = {185, 242, 301};
    for (int i = 0; i < 3; i++) {
        PlayerEntry entry;
        entry.File = files[i];
        entry.Title = std::string("Demo Band - ") + (strrchr(files[i], '\\') + 1);
        entry.Title.resize(entry.Title.size() - 4);
        entry.LengthSeconds = lengths[i];
        player.Playlist.push_back(entry);
    }
    player.Status = HOST_STATUS_PLAYING;
    player.OutputMs = 0;
    for (int tick = 0; tick < 4; tick++) {
        player.Position = tick < 3 ? tick : 2;
        player.LengthSeconds = lengths[player.Position];
        size_t requests = player.Requests.size();
        printf("tick %d: the player is at entry %d \"%s\"\n", tick + 1, player.Position,
               player.Playlist[player.Position].File.c_str());
        rig::Tick();
        PlayerPump();
        PrintRequests(requests);
        PrintNewBoxesAndDebugOutput();
        printf("  signature file now: \"%s\"\n", Printable(rig::ReadFile(SignaturePath)).c_str());
        player.OutputMs += 1000;
    }
}

int main(void)
{
    setvbuf(stdout, NULL, _IONBF, 0);
    std::string plugins = rig::ExecutableFolder() + "Plugins\\";
    SignaturePath = plugins + "signature.txt";
    if (!PreparePluginsFolder(plugins))
        return 1;

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

    ShowConfigurationDialog();
    PlayThrough();
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
    PrintFile("log file", plugins + "kestrune.log");
    PrintFile("signature file", plugins + "signature.txt");
    PlayerDestroyWindow();
    return 0;
}
