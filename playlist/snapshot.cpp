/*
 * The player's own playlist, "winamp.m3u" beside its executable: dated
 * snapshots of it, and a read-out of it to the debugger output.  The player
 * writes the file on request before each use.
 */
#include "kestrune.h"

#include "playlist/playlist.h"

#include <string.h>
#include <strsafe.h>

/*
 * "<folder>\YYYYMMDDhhmmss.m3u"; the backslash goes in even when the folder
 * already ends in one.  Refused, not cut, when it would not fit.
 */
bool MakeSnapShotName(const char *folder, const SYSTEMTIME *time, char *name)
{
    return FormatDatedName(name, PATH_SIZE, folder, "\\", time, ".m3u");
}

/*
 * Copies the player's playlist to a new dated file in SnapShotDirectory.
 * An existing file of that name is never overwritten.  The success box is
 * left out in Zelt mode; failure is always shown.  When the dated name
 * would not fit in a path, nothing is asked of the player and the failure
 * box names the folder instead.
 */
void TakeSnapShot(void)
{
    if (!Settings.SnapShotDirectory[0])
        return;
    char source[PATH_SIZE], name[PATH_SIZE];
    if (!GetPlayerPlaylistPath(source))
        return;
    SYSTEMTIME now;
    GetLocalTime(&now);
    if (!MakeSnapShotName(Settings.SnapShotDirectory, &now, name)) {
        ShowPlayerBox(Settings.SnapShotDirectory, "Play List Snap Shot Failed", MB_OK | MB_ICONERROR);
        return;
    }
    WritePlaylist();
    if (!CopyFileA(source, name, TRUE))
        ShowPlayerBox(name, "Play List Snap Shot Failed", MB_OK | MB_ICONERROR);
    else if (!Settings.Zelt_Mode)
        ShowPlayerBox(name, "Play List Snap Shot Taken", MB_OK);
}

/*
 * Writes "---" and then the player's playlist to the debugger output,
 * without its first 9 bytes (the "#EXTM3U" line) when it begins with "#EX".
 * A file shorter than that is skipped to its end, so nothing past what was
 * read is ever looked at.  The file is read whole into one global block
 * with a terminating zero, which is freed at the end.  Nothing more happens
 * once the player has quit the plug-in from inside one of the boxes.
 */
void AddAllTracks(void)
{
    const DWORD HeaderLine = 9;
    WritePlaylist();
    char path[PATH_SIZE];
    if (!GetPlayerPlaylistPath(path))
        return;
    ShowPlayerBox(path, "Information", MB_OK | MB_ICONINFORMATION);
    if (!PluginRunning)
        return;
    HANDLE file = CreateFileA(path, GENERIC_READ, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD high = 0;
    DWORD size = GetFileSize(file, &high);
    if (size == 0 || size == INVALID_FILE_SIZE || high != 0) {
        CloseHandle(file);
        return;
    }
    char text[64];
    StringCchPrintfA(text, sizeof text, "Size of play list is %u", (unsigned)size);
    ShowPlayerBox(text, "Information", MB_OK | MB_ICONINFORMATION);
    if (!PluginRunning) {
        CloseHandle(file);
        return;
    }
    char *block = (char *)GlobalAlloc(GMEM_FIXED, (SIZE_T)size + 1);
    if (!block) {
        CloseHandle(file);
        return;
    }
    DWORD read = 0;
    if (!ReadFile(file, block, size, &read, NULL))
        read = 0;
    block[read] = '\0';
    DWORD start = 0;
    if (read >= 3 && memcmp(block, "#EX", 3) == 0)
        start = read < HeaderLine ? read : HeaderLine;
    OutputDebugStringA("---");
    if (block[start])
        OutputDebugStringA(block + start);
    CloseHandle(file);
    GlobalFree(block);
}
