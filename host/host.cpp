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
