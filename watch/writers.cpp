/*
 * The three writers that publish the current track outside the player: the
 * signature file (rewritten on each track change, emptied at start and
 * quit), the append-only log file, and the clipboard.
 *
 * Every file is opened, written and closed within one call; no handle stays
 * open.  The sharing modes let another program write the file while the
 * plug-in has it open, but keep readers out for that moment.  Texts from
 * the player are written as they are and never used as a format.
 */
#include "kestrune.h"

#include <string.h>
#include <strsafe.h>

#include "watch/writers.h"

static const char OpenWarningCaption[] = "Can not open selected file";
static const char SignatureLeadIn[] = "-- \r\n\r\nThe last song I started on my PC was: ";
static const char LogEntryEnd[] = "\r\n\r\n";
static const char LogFormFeed = '\x0C';

void ShowOpenWarning(BoxKind kind, HWND owner, const char *fileName)
{
    ShowBoxOfKind(kind, owner, fileName, OpenWarningCaption, MB_OK | MB_ICONWARNING);
}

/* One write of exactly length bytes; a short or failed write is not examined. */
static void WriteBytes(HANDLE file, const char *bytes, size_t length)
{
    DWORD written = 0;
    WriteFile(file, bytes, (DWORD)length, &written, NULL);
}

/* Writes a terminated text as one write, without its terminator. */
static void WriteText(HANDLE file, const char *text) { WriteBytes(file, text, strlen(text)); }

/*
 * Opens a writer's file for writing with the given disposition: others may
 * write but not read while it is open; sequential-scan hint.
 */
static HANDLE OpenForWriting(const char *fileName, DWORD disposition)
{
    return CreateFileA(fileName, GENERIC_WRITE, FILE_SHARE_WRITE, NULL, disposition, FILE_FLAG_SEQUENTIAL_SCAN, NULL);
}

/*
 * The signature in four pieces, each its own write: the separator line, an
 * empty line and the lead-in; the title and the file name, each with its
 * line end, when their switches are on (in the system's code page, or in
 * UTF-8 with UseUTF8 on); the playlist position line.  The pieces are
 * composed in the shared text buffer.
 */
bool WriteSignatureQuietly(void)
{
    HANDLE file = OpenForWriting(Settings.SignatureFileName, CREATE_ALWAYS);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    WriteBytes(file, SignatureLeadIn, sizeof SignatureLeadIn - 1);
    char text[TRACK_TEXT_UTF8_SIZE];
    if (Settings.RecordSignatureTitle) {
        TrackTextForFile(NowPlaying.Title, NowPlaying.TitleW, Settings.UseUTF8 != 0, text, sizeof text);
        StringCchPrintfA(SharedText, sizeof SharedText, "%s\r\n", text);
        WriteText(file, SharedText);
    }
    if (Settings.RecordSignatureFileName) {
        TrackTextForFile(NowPlaying.FileName, NowPlaying.FileNameW, Settings.UseUTF8 != 0, text, sizeof text);
        StringCchPrintfA(SharedText, sizeof SharedText, "%s\r\n", text);
        WriteText(file, SharedText);
    }
    StringCchPrintfA(SharedText, sizeof SharedText, "This is track %u of %u in the current playlist.\r\n",
                     (unsigned)(NowPlaying.ListPosition + 1), (unsigned)NowPlaying.ListLength);
    WriteText(file, SharedText);
    CloseHandle(file);
    return true;
}

/* Rewrites the signature file; a file that cannot be opened gives an unowned warning box. */
void WriteSignatureFile(void)
{
    if (!WriteSignatureQuietly())
        ShowOpenWarning(BOX_SIGNATURE_WARNING, NULL, Settings.SignatureFileName);
}

/*
 * Cuts an existing signature file to zero length.  A missing file is not
 * created: the warning box, owned by the player's window, says so.
 */
/* Kept on purpose: a missing file is not created, and the warning says so at start and quit. */
void EmptySignatureFile(void)
{
    HANDLE file = OpenForWriting(Settings.SignatureFileName, TRUNCATE_EXISTING);
    if (file == INVALID_HANDLE_VALUE) {
        ShowOpenWarning(BOX_SIGNATURE_WARNING, PluginRecord.HostMainWindow, Settings.SignatureFileName);
        return;
    }
    WriteBytes(file, "", 0);
    CloseHandle(file);
}

/*
 * One entry at the end of the log in three writes: the header (a form feed
 * first unless the file was empty, then the local time stamp and
 * "WinAmp"), the text as it is, and an empty line.
 */
bool AppendLogEntryQuietly(const char *text)
{
    if (!Settings.UseLog || !Settings.LogFileName[0])
        return true;
    HANDLE file = OpenForWriting(Settings.LogFileName, OPEN_ALWAYS);
    if (file == INVALID_HANDLE_VALUE)
        return false;

    LARGE_INTEGER zero, end;
    zero.QuadPart = 0;
    end.QuadPart = 0;
    SetFilePointerEx(file, zero, &end, FILE_END);
    SYSTEMTIME now;
    GetLocalTime(&now);

    char header[64];
    size_t start = 0;
    if (end.QuadPart != 0)
        header[start++] = LogFormFeed;
    StringCchPrintfA(header + start, sizeof header - start, "%04u-%02u-%02u %02u:%02u:%02u %s\r\n\r\n",
                     (unsigned)now.wYear, (unsigned)now.wMonth, (unsigned)now.wDay, (unsigned)now.wHour,
                     (unsigned)now.wMinute, (unsigned)now.wSecond, "WinAmp");
    WriteText(file, header);
    WriteText(file, text);
    WriteBytes(file, LogEntryEnd, sizeof LogEntryEnd - 1);
    CloseHandle(file);
    return true;
}

/* Appends a log entry when logging is on; a log that cannot be opened gives an unowned warning box. */
void AppendLogEntry(const char *text)
{
    if (!AppendLogEntryQuietly(text))
        ShowOpenWarning(BOX_LOG_WARNING, NULL, Settings.LogFileName);
}

/* A shareable movable block holding size bytes, or none. */
static HGLOBAL MakeClipboardBlock(const void *bytes, size_t size)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, size);
    if (!block)
        return NULL;
    void *target = GlobalLock(block);
    if (!target) {
        GlobalFree(block);
        return NULL;
    }
    memcpy(target, bytes, size);
    GlobalUnlock(block);
    return block;
}

/* Gives the clipboard a block in a format; a block it did not take is released here. */
static void PlaceOnClipboard(UINT format, HGLOBAL block)
{
    if (block && !SetClipboardData(format, block))
        GlobalFree(block);
}

/*
 * Places the text with its terminator on the clipboard as CF_TEXT, and its
 * wide form as CF_UNICODETEXT, each in a shareable global block, in one
 * opening with the player's window as the clipboard's owner.  The blocks
 * are movable ones, as the clipboard requires of the memory it is given (a
 * shareable block alone is fixed memory).  Without memory, or when the
 * clipboard cannot be had, nothing is placed and nothing is said.  Once
 * placed the blocks belong to the system.
 */
void CopyTextToClipboard(const char *text, const wchar_t *wide)
{
    HGLOBAL bytes = MakeClipboardBlock(text, strlen(text) + 1);
    if (!bytes)
        return;
    HGLOBAL units = MakeClipboardBlock(wide, (wcslen(wide) + 1) * sizeof(wchar_t));
    if (!OpenClipboard(PluginRecord.HostMainWindow)) {
        GlobalFree(bytes);
        if (units)
            GlobalFree(units);
        return;
    }
    EmptyClipboard();
    PlaceOnClipboard(CF_TEXT, bytes);
    PlaceOnClipboard(CF_UNICODETEXT, units);
    CloseClipboard();
}
