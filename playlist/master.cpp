/*
 * The master playlist: the user's own M3U file named by M3UFileName.  The
 * current track is appended to it, it is replaced by the player's playlist
 * after a dated backup, or it is deleted.  Each command runs to its end on
 * the player's thread and speaks only through message boxes owned by the
 * player's main window (the one exception is said where it is).
 */
#include "kestrune.h"

#include "playlist/playlist.h"

#include <string.h>
#include <strsafe.h>

static const char ExtendedHeader[] = "#EX";
static const char LineEnd[] = "\r\n";

static void ShowError(const char *text) { ShowPlayerBox(text, "Error", MB_OK | MB_ICONERROR); }

/*
 * Reads what appending to the master depends on.  Returns true when the
 * file's first three bytes are "#EX"; a file that cannot be opened or is
 * shorter does not count.  lineEnd is set to what the file's last line
 * still lacks of a line end, so that a new entry starts on a line of its
 * own instead of lengthening the last file name (as after a text editor
 * that saves the last line without one): nothing for a missing or empty
 * file or one that ends in LF (which ends a line for every reader), LF
 * after a lone CR, and CR LF after anything else.
 */
static bool ReadMasterEnds(const char *fileName, const char **lineEnd)
{
    *lineEnd = "";
    HANDLE file = CreateFileA(fileName, GENERIC_READ, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    char head[3];
    DWORD read = 0;
    BOOL ok = ReadFile(file, head, sizeof head, &read, NULL);
    bool extended = ok && read == sizeof head && memcmp(head, ExtendedHeader, sizeof head) == 0;
    LARGE_INTEGER lastByte;
    lastByte.QuadPart = -1;
    char last;
    if (SetFilePointerEx(file, lastByte, NULL, FILE_END) && ReadFile(file, &last, 1, &read, NULL) && read == 1)
        *lineEnd = last == '\n' ? "" : last == '\r' ? "\n" : LineEnd;
    CloseHandle(file);
    return extended;
}

/* Writes a text of at most limit bytes; the result is not examined. */
static void WriteText(HANDLE file, const char *text, size_t limit)
{
    DWORD written;
    WriteFile(file, text, (DWORD)strnlen(text, limit), &written, NULL);
}

/* A master whose name ends in ".m3u8" (any case) holds UTF-8, whatever UseUTF8 says. */
static bool IsUtf8Playlist(const char *name)
{
    static const char Extension[] = ".m3u8";
    size_t length = strlen(name), extension = sizeof Extension - 1;
    if (length < extension)
        return false;
    for (size_t i = 0; i < extension; i++) {
        char c = name[length - extension + i];
        if ((c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c) != Extension[i])
            return false;
    }
    return true;
}

/*
 * Appends the current track: "#EXTINF:<length>,<title>" first when the file
 * already begins with "#EX" and the track has a title, then the file name;
 * before them, the line end the file's last line lacks.  Both texts are in
 * the system's code page, or in UTF-8 in a ".m3u8" master, so that a
 * name in any script is kept whole there.
 * The length is written unsigned, so the player's -1 reads 4294967295.  A
 * file that cannot be opened is named in a warning box that has no owner.
 */
void AddCurrentTrack(void)
{
    if (!NowPlaying.FileName[0] || !Settings.UseM3U || !Settings.M3UFileName[0])
        return;
    const char *lineEnd;
    bool extended = ReadMasterEnds(Settings.M3UFileName, &lineEnd);
    HANDLE file = CreateFileA(Settings.M3UFileName, GENERIC_WRITE, FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                              FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        ShowBox(NULL, Settings.M3UFileName, "Can not open selected file", MB_OK | MB_ICONWARNING);
        return;
    }
    SetFilePointer(file, 0, NULL, FILE_END);
    WriteText(file, lineEnd, 2);
    bool utf8 = IsUtf8Playlist(Settings.M3UFileName);
    char text[TRACK_TEXT_UTF8_SIZE];
    if (extended && NowPlaying.Title[0]) {
        char length[16];
        StringCchPrintfA(length, sizeof length, "%u", (unsigned)NowPlaying.PlayLengthSeconds);
        WriteText(file, "#EXTINF:", 8);
        WriteText(file, length, sizeof length);
        WriteText(file, ",", 1);
        TrackTextForFile(NowPlaying.Title, NowPlaying.TitleW, utf8, text, sizeof text);
        WriteText(file, text, sizeof text);
        WriteText(file, LineEnd, 2);
    }
    TrackTextForFile(NowPlaying.FileName, NowPlaying.FileNameW, utf8, text, sizeof text);
    WriteText(file, text, sizeof text);
    WriteText(file, LineEnd, 2);
    CloseHandle(file);
}

/*
 * The backup's name: the master's name up to its last "." (searched in the
 * whole path), then "-YYYYMMDDhhmmss." and the text after that ".".  A name
 * that would not fit is refused rather than cut, since a cut name could
 * name another file.
 */
bool MakeBackupName(const char *master, const SYSTEMTIME *time, char *name)
{
    name[0] = '\0';
    const char *dot = strrchr(master, '.');
    if (!dot)
        return false;
    size_t stem = (size_t)(dot - master);
    if (stem >= PATH_SIZE)
        return false;
    memcpy(name, master, stem);
    if (!FormatDatedName(name + stem, PATH_SIZE - stem, "", "-", time, dot)) {
        name[0] = '\0';
        return false;
    }
    return true;
}

/*
 * Replaces the master playlist by the player's playlist after the user
 * confirmed it and a dated backup of the master was taken.  Without the
 * backup the master is left alone; a backup name too long for a path
 * counts as a failed backup.
 */
void ReplacePlaylist(void)
{
    if (!Settings.M3UFileName[0])
        return;
    if (ShowPlayerBox("Are you sure you wish to replace the master playlist with the current WinAmp playlist?",
                      "Replace play list", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
        return;
    WritePlaylist();
    char source[PATH_SIZE], backup[PATH_SIZE];
    if (!GetPlayerPlaylistPath(source) || !strchr(Settings.M3UFileName, '.')) {
        ShowError("Replace Playlist failed");
        return;
    }
    SYSTEMTIME now;
    GetLocalTime(&now);
    if (!MakeBackupName(Settings.M3UFileName, &now, backup) || !CopyFileA(Settings.M3UFileName, backup, TRUE)) {
        ShowError("Could not back up master play list");
        return;
    }
    if (CopyFileA(source, Settings.M3UFileName, FALSE))
        ShowPlayerBox("Master Playlist successfully backed up and replaced", "Information", MB_OK | MB_ICONINFORMATION);
    else
        ShowError("Could not copy play list from WinAmp");
}

/* Deletes the master playlist, without backup, once the user confirmed it. */
void ClearPlaylist(void)
{
    const char *master = Settings.M3UFileName;
    if (!master[0])
        return;
    if (ShowPlayerBox("Are you sure you wish to clear the user playlist?", master,
                      MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
        return;
    if (!DeleteFileA(master))
        ShowPlayerBox("User specified play list could not be deleted!", master, MB_OK | MB_ICONINFORMATION);
}

/* Kept on purpose: the command only says that it does not work yet. */
void CopyToFavorites(void)
{
    ShowPlayerBox("This doesn't work yet!", "Information",
                  MB_OK | MB_ICONINFORMATION | MB_TASKMODAL | MB_SETFOREGROUND | MB_TOPMOST);
}
