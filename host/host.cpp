/*
 * The player's interface: every query, request and command goes to the
 * player's main window as a synchronous message from the player's own
 * user-interface thread.
 */
#include <string.h>

#include "kestrune.h"

static LRESULT AskPlayer(WPARAM wParam, LPARAM code)
{
    return SendMessageA(PluginRecord.HostMainWindow, WM_USER, wParam, code);
}

int GetPlayStatus(void) { return (int)AskPlayer(0, HOST_GET_PLAY_STATUS); }
int GetOutputTime(int mode) { return (int)AskPlayer((WPARAM)mode, HOST_GET_OUTPUT_TIME); }
void JumpToTime(int milliseconds) { AskPlayer((WPARAM)milliseconds, HOST_JUMP_TO_TIME); }
void WritePlaylist(void) { AskPlayer(0, HOST_WRITE_PLAYLIST); }
int GetListLength(void) { return (int)AskPlayer(0, HOST_GET_LIST_LENGTH); }
int GetListPosition(void) { return (int)AskPlayer(0, HOST_GET_LIST_POSITION); }
const char *GetPlaylistFile(int index) { return (const char *)AskPlayer((WPARAM)index, HOST_GET_PLAYLIST_FILE); }
const char *GetPlaylistTitle(int index) { return (const char *)AskPlayer((WPARAM)index, HOST_GET_PLAYLIST_TITLE); }
const char *GetIniDirectory(void) { return (const char *)AskPlayer(0, HOST_GET_INI_DIRECTORY); }
const wchar_t *GetPlaylistFileW(int index)
{
    return (const wchar_t *)AskPlayer((WPARAM)index, HOST_GET_PLAYLIST_FILE_W);
}
const wchar_t *GetPlaylistTitleW(int index)
{
    return (const wchar_t *)AskPlayer((WPARAM)index, HOST_GET_PLAYLIST_TITLE_W);
}

/* ---- the player's version and the metadata of its files ------------------- */

/* Asked once at init; 0 until then, as from the oldest players. */
static DWORD PlayerVersion;

void AskPlayerVersion(void) { PlayerVersion = (DWORD)AskPlayer(0, HOST_GET_VERSION); }
bool PlayerSpeaksUnicode(void) { return PlayerVersion >= HOST_VERSION_UNICODE; }
bool PlayerTellsMetadata(void) { return PlayerVersion >= HOST_VERSION_METADATA; }

/*
 * The extended-file-info record the player fills: four pointer-sized
 * fields, the answer's size counted in characters.
 */
struct ExtendedFileInfoW {
    const wchar_t *FileName;
    const wchar_t *Metadata;
    wchar_t *Answer;
    size_t AnswerSize;
};
struct ExtendedFileInfoA {
    const char *FileName;
    const char *Metadata;
    char *Answer;
    size_t AnswerSize;
};
#ifndef _WIN64
static_assert(sizeof(ExtendedFileInfoW) == 16 && sizeof(ExtendedFileInfoA) == 16,
              "the player reads four 32-bit fields");
#endif

/* A field name ("title") is plain ASCII: widened character by character. */
enum { FIELD_NAME_SIZE = 32 };

static bool AskMetadataW(const wchar_t *file, const char *field, wchar_t *text)
{
    wchar_t name[FIELD_NAME_SIZE];
    size_t i = 0;
    for (; field[i] && i < FIELD_NAME_SIZE - 1; i++)
        name[i] = (wchar_t)(unsigned char)field[i];
    name[i] = L'\0';
    wchar_t answer[TRACK_TEXT_SIZE] = L"";
    ExtendedFileInfoW request = {file, name, answer, TRACK_TEXT_SIZE};
    if (!AskPlayer((WPARAM)&request, HOST_GET_EXTENDED_FILE_INFO_W))
        return false;
    TakePlayerText(answer, TRACK_TEXT_SIZE, text);
    return true;
}

/* An ANSI answer may need two bytes a character (double-byte code pages) for 255 characters. */
enum { ANSI_ANSWER_SIZE = 2 * TRACK_TEXT_SIZE };

static bool AskMetadataA(const char *file, const char *field, wchar_t *text)
{
    char answer[ANSI_ANSWER_SIZE] = "";
    ExtendedFileInfoA request = {file, field, answer, ANSI_ANSWER_SIZE};
    if (!AskPlayer((WPARAM)&request, HOST_GET_EXTENDED_FILE_INFO))
        return false;
    answer[ANSI_ANSWER_SIZE - 1] = '\0';
    wchar_t wide[ANSI_ANSWER_SIZE];
    CodePageToWide(CP_ACP, answer, wide, ANSI_ANSWER_SIZE);
    TakePlayerText(wide, ANSI_ANSWER_SIZE, text);
    return true;
}

bool AskFileMetadata(const wchar_t *fileW, const char *fileA, const char *field, wchar_t *text, size_t size)
{
    text[0] = L'\0';
    if (size < TRACK_TEXT_SIZE || !PlayerTellsMetadata())
        return false;
    if (PlayerSpeaksUnicode() && AskMetadataW(fileW, field, text))
        return true;
    return AskMetadataA(fileA, field, text);
}

void SendPlayerCommand(int command) { SendMessageA(PluginRecord.HostMainWindow, WM_COMMAND, (WPARAM)command, 0); }

/*
 * "winamp.m3u" in the directory of the host process's executable.  The
 * executable's name is read into a buffer larger than a path so that a cut
 * name is recognised, never taken for a different directory.
 */
bool GetPlayerPlaylistPath(char *path)
{
    static const char PlaylistName[] = "winamp.m3u";
    char executable[PATH_SIZE + 1];
    DWORD length = GetModuleFileNameA(NULL, executable, sizeof executable);
    path[0] = '\0';
    if (length == 0 || length >= sizeof executable - 1)
        return false;
    executable[length] = '\0';
    const char *slash = strrchr(executable, '\\');
    if (!slash)
        return false;
    size_t directory = (size_t)(slash - executable) + 1;
    if (directory + sizeof PlaylistName > PATH_SIZE)
        return false;
    memcpy(path, executable, directory);
    memcpy(path + directory, PlaylistName, sizeof PlaylistName);
    return true;
}
