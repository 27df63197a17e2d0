/*
 * The stand-in player.  Its main window answers the player's queries and
 * requests (WM_USER with the code in lParam) from PlayerState, acts on the
 * transport commands, sends itself the notice when it starts a track, and
 * records every command, keystroke and notice that reaches its own
 * procedure, so a test sees exactly what a plug-in's hook passed on.
 */
#include "player/player.h"

#include "res/resource.h"

#include <string.h>

static const char PlayerClassName[] = "KestrunePlayer";
static const wchar_t PlayerClassNameW[] = L"KestrunePlayerUnicode";
static const char PlaylistFileName[] = "winamp.m3u";

typedef PlayerPluginRecord *(*GetPluginRecord)(void);

static PlayerState State;
static HWND MainWindow;
static bool UnicodeWindow; /* the main window has the Unicode procedure */
static HMODULE PluginModule;
static PlayerPluginRecord *Record;

PlayerState &Player() { return State; }
HWND PlayerWindow(void) { return MainWindow; }
PlayerPluginRecord *PlayerRecord(void) { return Record; }
HMODULE PlayerPluginModule(void) { return PluginModule; }

static bool InList(WPARAM index) { return (INT_PTR)index >= 0 && (size_t)index < State.Playlist.size(); }

std::string PlayerAnsi(const std::wstring &text)
{
    int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), -1, NULL, 0, NULL, NULL);
    std::string bytes(size > 0 ? size : 1, '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), -1, &bytes[0], (int)bytes.size(), NULL, NULL);
    return bytes.c_str();
}

static std::wstring Widened(const std::string &text)
{
    int size = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, NULL, 0);
    std::wstring wide(size > 0 ? size : 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], (int)wide.size());
    return wide.c_str();
}

std::wstring PlayerWideFile(const PlayerEntry &entry)
{
    return entry.WideFile.empty() ? Widened(entry.File) : entry.WideFile;
}

std::wstring PlayerWideTitle(const PlayerEntry &entry)
{
    return entry.WideTitle.empty() ? Widened(entry.Title) : entry.WideTitle;
}

static bool Speaks(unsigned version) { return State.Version >= version; }

static LRESULT PlaylistFile(WPARAM index)
{
    if (!InList(index))
        return 0;
    PlayerEntry &entry = State.Playlist[index];
    if (entry.WideFile.empty())
        return (LRESULT)entry.File.c_str();
    entry.AnsiFile = PlayerAnsi(entry.WideFile);
    return (LRESULT)entry.AnsiFile.c_str();
}

static LRESULT PlaylistTitle(WPARAM index)
{
    if (!InList(index) || State.Playlist[index].NoTitle)
        return 0;
    PlayerEntry &entry = State.Playlist[index];
    if (entry.WideTitle.empty())
        return (LRESULT)entry.Title.c_str();
    entry.AnsiTitle = PlayerAnsi(entry.WideTitle);
    return (LRESULT)entry.AnsiTitle.c_str();
}

static LRESULT PlaylistFileW(WPARAM index)
{
    if (!Speaks(HOST_VERSION_UNICODE) || !InList(index))
        return 0;
    PlayerEntry &entry = State.Playlist[index];
    entry.AnswerFile = PlayerWideFile(entry);
    return (LRESULT)entry.AnswerFile.c_str();
}

static LRESULT PlaylistTitleW(WPARAM index)
{
    if (!Speaks(HOST_VERSION_UNICODE) || !InList(index) || State.Playlist[index].NoTitle)
        return 0;
    PlayerEntry &entry = State.Playlist[index];
    entry.AnswerTitle = PlayerWideTitle(entry);
    return (LRESULT)entry.AnswerTitle.c_str();
}

/* The extended-file-info records, as the plug-in hands them over. */
struct FileInfoRequestW {
    const wchar_t *FileName;
    const wchar_t *Metadata;
    wchar_t *Answer;
    size_t AnswerSize;
};
struct FileInfoRequestA {
    const char *FileName;
    const char *Metadata;
    char *Answer;
    size_t AnswerSize;
};

/* The text the player knows for a file's field, or false. */
static bool KnownField(const std::wstring &file, const std::wstring &field, std::wstring *text)
{
    auto found = State.Metadata.find(file);
    if (found == State.Metadata.end())
        return false;
    auto value = found->second.find(field);
    if (value == found->second.end())
        return false;
    *text = value->second;
    return true;
}

static LRESULT FileInfoW(WPARAM request)
{
    const FileInfoRequestW *info = (const FileInfoRequestW *)request;
    std::wstring text;
    if (!Speaks(HOST_VERSION_UNICODE) || !info || !info->FileName || !info->Metadata || !info->Answer ||
        info->AnswerSize == 0 || !KnownField(info->FileName, info->Metadata, &text))
        return 0;
    lstrcpynW(info->Answer, text.c_str(), (int)info->AnswerSize);
    return 1;
}

static LRESULT FileInfoA(WPARAM request)
{
    const FileInfoRequestA *info = (const FileInfoRequestA *)request;
    std::wstring text;
    if (!Speaks(HOST_VERSION_METADATA) || !info || !info->FileName || !info->Metadata || !info->Answer ||
        info->AnswerSize == 0 || !KnownField(Widened(info->FileName), Widened(info->Metadata), &text))
        return 0;
    lstrcpynA(info->Answer, PlayerAnsi(text).c_str(), (int)info->AnswerSize);
    return 1;
}

static LRESULT OutputTime(WPARAM mode)
{
    if (mode == HOST_OUTPUT_POSITION_MS)
        return State.OutputMs;
    if (mode == HOST_OUTPUT_LENGTH_SECONDS)
        return State.LengthSeconds;
    return -1;
}

static LRESULT JumpTo(WPARAM milliseconds)
{
    State.Jumps.push_back((int)milliseconds);
    State.OutputMs = (int)milliseconds;
    return 0;
}

static LRESULT AnswerPlaylistWrite(void)
{
    PlayerWritePlaylist();
    State.PlaylistWrites++;
    return State.Position;
}

/* Answers one query or request; unknown codes get 0. */
static LRESULT AnswerRequest(WPARAM wParam, LPARAM code)
{
    State.Requests.push_back({WM_USER, wParam, code});
    switch (code) {
    case HOST_GET_PLAY_STATUS:
        return State.Status;
    case HOST_GET_OUTPUT_TIME:
        return OutputTime(wParam);
    case HOST_JUMP_TO_TIME:
        return JumpTo(wParam);
    case HOST_WRITE_PLAYLIST:
        return AnswerPlaylistWrite();
    case HOST_GET_LIST_LENGTH:
        return (LRESULT)State.Playlist.size();
    case HOST_GET_LIST_POSITION:
        return State.Position;
    case HOST_GET_PLAYLIST_FILE:
        return PlaylistFile(wParam);
    case HOST_GET_PLAYLIST_TITLE:
        return PlaylistTitle(wParam);
    case HOST_GET_INI_DIRECTORY:
        return State.IniDirectory.empty() ? 0 : (LRESULT)State.IniDirectory.c_str();
    case HOST_GET_VERSION:
        return (LRESULT)State.Version;
    case HOST_GET_PLAYLIST_FILE_W:
        return PlaylistFileW(wParam);
    case HOST_GET_PLAYLIST_TITLE_W:
        return PlaylistTitleW(wParam);
    case HOST_GET_EXTENDED_FILE_INFO:
        return FileInfoA(wParam);
    case HOST_GET_EXTENDED_FILE_INFO_W:
        return FileInfoW(wParam);
    }
    return 0;
}

/* ---- starting a track: the notice ---- */

/* The player's own window hears of it first: the notice goes through whatever procedure the window has now. */
static void StartCurrentEntry(void)
{
    State.Status = HOST_STATUS_PLAYING;
    if (State.SendsNotices && InList((WPARAM)(INT_PTR)State.Position))
        SendMessageA(MainWindow, WM_USER, (WPARAM)State.Playlist[State.Position].File.c_str(),
                     HOST_NOTICE_PLAYING_FILE);
}

static LRESULT RecordNotice(WPARAM fileName, LPARAM code)
{
    State.Notices.push_back({WM_USER, fileName, code});
    return 0;
}

void PlayerEndTrack(void)
{
    if (State.Status != HOST_STATUS_PLAYING)
        return;
    if (State.Position + 1 >= (int)State.Playlist.size()) {
        State.Status = 0;
        return;
    }
    State.Position++;
    StartCurrentEntry();
}

/* ---- closing ---- */

static void QuitPlugin(void)
{
    if (Record)
        Record->Quit();
    Record = NULL;
}

static void FreePlugin(void)
{
    if (PluginModule)
        FreeLibrary(PluginModule);
    PluginModule = NULL;
}

/* The plug-in quits, and is freed at once or later; the window stays for the test. */
static LRESULT CloseFromOutside(void)
{
    State.Closes++;
    QuitPlugin();
    if (State.OnClose == PlayerState::CloseQuitsAndFrees)
        FreePlugin();
    return 0;
}

/* ---- commands ---- */

/*
 * Previous and next stop at the ends of the list rather than wrap around.
 * A move while playing or paused starts the new entry.
 */
static void MovePosition(int step)
{
    int last = (int)State.Playlist.size() - 1;
    int position = State.Position + step;
    if (position > last)
        position = last;
    if (position < 0)
        position = 0;
    bool moved = position != State.Position;
    State.Position = position;
    if (moved && State.Status != 0)
        StartCurrentEntry();
}

static void TogglePause(void)
{
    if (State.Status == HOST_STATUS_PLAYING)
        State.Status = HOST_STATUS_PAUSED;
    else if (State.Status == HOST_STATUS_PAUSED)
        State.Status = HOST_STATUS_PLAYING;
}

/* The system's default handling, in the character set of the main window. */
static LRESULT DefaultProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (UnicodeWindow)
        return DefWindowProcW(window, message, wParam, lParam);
    return DefWindowProcA(window, message, wParam, lParam);
}

static LRESULT RunCommand(HWND window, WPARAM wParam, LPARAM lParam)
{
    State.Received.push_back({WM_COMMAND, wParam, lParam});
    switch (LOWORD(wParam)) {
    case PLAYER_PREVIOUS:
        MovePosition(-1);
        return 0;
    case PLAYER_NEXT:
        MovePosition(1);
        return 0;
    case PLAYER_PLAY:
        StartCurrentEntry();
        return 0;
    case PLAYER_PAUSE:
        TogglePause();
        return 0;
    case PLAYER_STOP:
        State.Status = 0;
        return 0;
    }
    return DefaultProc(window, WM_COMMAND, wParam, lParam);
}

static LRESULT RecordKey(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    State.Received.push_back({message, wParam, lParam});
    return DefaultProc(window, message, wParam, lParam);
}

LRESULT CALLBACK PlayerWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SETTEXT && lParam)
        State.Texts.push_back((const wchar_t *)lParam);
    return PlayerWindowProc(window, message, wParam, lParam);
}

LRESULT CALLBACK PlayerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    for (UINT watched : State.Watched)
        if (message == watched)
            State.Received.push_back({message, wParam, lParam});
    switch (message) {
    case WM_USER:
        return lParam == HOST_NOTICE_PLAYING_FILE ? RecordNotice(wParam, lParam) : AnswerRequest(wParam, lParam);
    case WM_COMMAND:
        return RunCommand(window, wParam, lParam);
    case WM_KEYDOWN:
    case WM_KEYUP:
        return RecordKey(window, message, wParam, lParam);
    case WM_CLOSE:
        if (State.OnClose != PlayerState::CloseDestroys)
            return CloseFromOutside();
        break;
    }
    return DefaultProc(window, message, wParam, lParam);
}

static void RegisterPlayerClass(void)
{
    WNDCLASSEXA windowClass;
    ZeroMemory(&windowClass, sizeof windowClass);
    if (GetClassInfoExA(GetModuleHandleA(NULL), PlayerClassName, &windowClass))
        return;
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = PlayerWindowProc;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    windowClass.lpszClassName = PlayerClassName;
    RegisterClassExA(&windowClass);
}

static void RegisterPlayerClassW(void)
{
    WNDCLASSEXW windowClass;
    ZeroMemory(&windowClass, sizeof windowClass);
    if (GetClassInfoExW(GetModuleHandleW(NULL), PlayerClassNameW, &windowClass))
        return;
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = PlayerWindowProcW;
    windowClass.hInstance = GetModuleHandleW(NULL);
    windowClass.hCursor = LoadCursorW(NULL, (LPCWSTR)IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    windowClass.lpszClassName = PlayerClassNameW;
    RegisterClassExW(&windowClass);
}

/* A small window at a fixed place, shown without taking the focus from anything. */
HWND PlayerCreateWindow(bool unicode)
{
    State = PlayerState();
    UnicodeWindow = unicode;
    if (unicode) {
        RegisterPlayerClassW();
        MainWindow = CreateWindowExW(0, PlayerClassNameW, L"Kestrune Player", WS_OVERLAPPEDWINDOW, 40, 40, 320, 120,
                                     NULL, NULL, GetModuleHandleW(NULL), NULL);
    } else {
        RegisterPlayerClass();
        MainWindow = CreateWindowExA(0, PlayerClassName, "Kestrune Player", WS_OVERLAPPEDWINDOW, 40, 40, 320, 120, NULL,
                                     NULL, GetModuleHandleA(NULL), NULL);
    }
    ShowWindow(MainWindow, SW_SHOWNORMAL);
    UpdateWindow(MainWindow);
    PlayerPump();
    return MainWindow;
}

void PlayerDestroyWindow(void)
{
    if (MainWindow)
        DestroyWindow(MainWindow);
    MainWindow = NULL;
    PlayerPump();
}

std::string PlayerPlaylistPath(void)
{
    char executable[MAX_PATH * 4];
    DWORD length = GetModuleFileNameA(NULL, executable, sizeof executable);
    std::string path(executable, length < sizeof executable ? length : 0);
    size_t slash = path.rfind('\\');
    path.erase(slash == std::string::npos ? 0 : slash + 1);
    return path + PlaylistFileName;
}

/* An extended M3U file: "#EXTM3U", then "#EXTINF:<len>,<title>" and the file per entry, CR LF line ends. */
void PlayerWritePlaylist(void)
{
    std::string text = "#EXTM3U\r\n";
    for (const PlayerEntry &entry : State.Playlist)
        text += "#EXTINF:" + std::to_string(entry.LengthSeconds) + "," + entry.Title + "\r\n" + entry.File + "\r\n";
    HANDLE file = CreateFileA(PlayerPlaylistPath().c_str(), GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, text.data(), (DWORD)text.size(), &written, NULL);
    CloseHandle(file);
}

static std::string WithBackslash(const std::string &folder)
{
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/')
        return folder + "\\";
    return folder;
}

HMODULE PlayerLoadPlugin(const std::string &pluginsFolder)
{
    std::string folder = WithBackslash(pluginsFolder);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "gen_*.dll").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return NULL;
    FindClose(search);
    PluginModule = LoadLibraryA((folder + found.cFileName).c_str());
    Record = NULL;
    return PluginModule;
}

/* Returns init's result, or -1 when there is no module or no export. */
int PlayerStartPlugin(void)
{
    if (!PluginModule)
        return -1;
    GetPluginRecord getRecord = (GetPluginRecord)(void *)GetProcAddress(PluginModule, "winampGetGeneralPurposePlugin");
    if (!getRecord)
        return -1;
    Record = getRecord();
    if (!Record)
        return -1;
    Record->HostMainWindow = MainWindow;
    Record->ModuleInstance = PluginModule;
    return Record->Init();
}

void PlayerStopPlugin(void)
{
    QuitPlugin();
    FreePlugin();
}

void PlayerPump(void)
{
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void PlayerPumpFor(DWORD milliseconds)
{
    DWORD start = GetTickCount();
    do {
        PlayerPump();
        MsgWaitForMultipleObjects(0, NULL, FALSE, 10, QS_ALLINPUT);
    } while (GetTickCount() - start < milliseconds);
}
