/*
 * The track poller: the callback of the one-second timer that init starts.
 * Every tick it asks the player for its playlist position, length and the
 * file at that position, and passes the tick on to the marquee.  When the
 * file differs from the one seen last, it takes the new track into
 * NowPlaying, reads its ID3v1 tag (or asks the player for the texts of a
 * file without one) and hands it to the writers.
 *
 * Ticks are dispatched from any message loop of the player's thread,
 * including the modal loops of message boxes, so a tick may run inside
 * another.  NowPlaying.FileName is updated before any file is touched, and
 * the writers' warning boxes are shown only after every other step of a
 * change: a tick that runs inside such a box finds the earlier change
 * complete and handles only a newer track.
 */
#include "kestrune.h"

#include <string.h>
#include <strsafe.h>

#include "watch/writers.h"

NowPlayingRecord NowPlaying;
char SharedText[SHARED_TEXT_SIZE];

/*
 * The name the player gave for its current entry: wide from a player that
 * speaks Unicode (its ANSI name may read the same for two different
 * files), else ANSI.  Owned by the player.
 */
struct PlayerName {
    const wchar_t *Wide;
    const char *Ansi;
};

/*
 * NowPlaying.FileName and FileNameW hold at most 259 characters of the
 * player's name.  To tell a long name that has not changed from a
 * different one sharing the same first 259 characters, the form it came
 * in, the full name's length and a hash of all of it are kept alongside.
 */
static bool HeldNameWide;
static size_t HeldNameLength;
static unsigned long long HeldNameHash;
/* Counts track changes, so that a change can tell whether a newer one ran inside it. */
static unsigned TrackChanges;

/* FNV-1a, 64 bits, over length bytes. */
static unsigned long long HashName(const void *name, size_t length)
{
    const unsigned char *bytes = (const unsigned char *)name;
    unsigned long long hash = 14695981039346656037ULL;
    for (size_t i = 0; i < length; ++i) {
        hash ^= bytes[i];
        hash *= 1099511628211ULL;
    }
    return hash;
}

/*
 * True when the player's name is the one taken at the last change, unit
 * for unit, case counting.  The first 259 units are compared with the held
 * copy; only a name that runs on beyond them is measured and hashed.  A
 * name in the other form than the held one counts as a change.
 */
static bool IsHeldName(PlayerName name)
{
    const size_t held = PATH_SIZE - 1;
    if ((name.Wide != NULL) != HeldNameWide)
        return false;
    for (size_t i = 0; i < held; ++i) {
        int unit = name.Wide ? name.Wide[i] : name.Ansi[i];
        int kept = name.Wide ? NowPlaying.FileNameW[i] : NowPlaying.FileName[i];
        if (unit != kept)
            return false;
        if (unit == 0)
            return true;
    }
    size_t length = name.Wide ? held + wcslen(name.Wide + held) : held + strlen(name.Ansi + held);
    size_t unitSize = name.Wide ? sizeof(wchar_t) : 1;
    const void *units = name.Wide ? (const void *)name.Wide : (const void *)name.Ansi;
    return length == HeldNameLength && HashName(units, length * unitSize) == HeldNameHash;
}

/* Copies at most 259 characters and the terminator; a missing text becomes empty. */
static void CopyPlayerText(char *target, const char *text)
{
    if (!text) {
        target[0] = '\0';
        return;
    }
    StringCchCopyNA(target, PATH_SIZE, text, PATH_SIZE - 1);
}

/* The same for a wide text: 259 units, as the change test compares them. */
static void CopyPlayerTextW(wchar_t *target, const wchar_t *text)
{
    if (!text) {
        target[0] = L'\0';
        return;
    }
    StringCchCopyNW(target, PATH_SIZE, text, PATH_SIZE - 1);
}

/* Takes the name in both forms: the player's own, and the other converted. */
static void TakeName(PlayerName name)
{
    if (name.Wide) {
        CopyPlayerTextW(NowPlaying.FileNameW, name.Wide);
        WideToCodePage(CP_ACP, NowPlaying.FileNameW, NowPlaying.FileName, PATH_SIZE);
    } else {
        CopyPlayerText(NowPlaying.FileName, name.Ansi);
        CodePageToWide(CP_ACP, NowPlaying.FileName, NowPlaying.FileNameW, PATH_SIZE);
    }
}

/* The title as the player gives it, in Unicode where it speaks it and answers. */
static void TakeTitle(int position)
{
    const wchar_t *wide = PlayerSpeaksUnicode() ? GetPlaylistTitleW(position) : NULL;
    if (wide) {
        CopyPlayerTextW(NowPlaying.TitleW, wide);
        WideToCodePage(CP_ACP, NowPlaying.TitleW, NowPlaying.Title, PATH_SIZE);
        return;
    }
    CopyPlayerText(NowPlaying.Title, GetPlaylistTitle(position));
    CodePageToWide(CP_ACP, NowPlaying.Title, NowPlaying.TitleW, PATH_SIZE);
}

/* The tag's four texts, in the system's code page, as the texts the windows show. */
static void TakeTagTexts(void)
{
    TrackTexts *texts = &NowPlaying.Texts;
    CodePageToWide(CP_ACP, NowPlaying.Tag.Title, texts->Title, TRACK_TEXT_SIZE);
    CodePageToWide(CP_ACP, NowPlaying.Tag.Artist, texts->Artist, TRACK_TEXT_SIZE);
    CodePageToWide(CP_ACP, NowPlaying.Tag.Album, texts->Album, TRACK_TEXT_SIZE);
    CodePageToWide(CP_ACP, NowPlaying.Tag.Comment, texts->Comment, TRACK_TEXT_SIZE);
    texts->Known = true;
}

/*
 * Asks the player for the file's title, artist, album and comment.  True
 * when it told any of them: they become the track's texts, and, in the
 * system's code page and cut to the tag's 30 bytes, the tag's texts (the
 * lyrics lookup reads those).  Without a readable file the tag's block is
 * empty: nothing was read.
 */
static bool TakePlayerTexts(bool fileRead)
{
    TrackTexts told;
    ZeroMemory(&told, sizeof told);
    const wchar_t *fileW = NowPlaying.FileNameW;
    const char *fileA = NowPlaying.FileName;
    bool any = AskFileMetadata(fileW, fileA, "title", told.Title, TRACK_TEXT_SIZE);
    any = AskFileMetadata(fileW, fileA, "artist", told.Artist, TRACK_TEXT_SIZE) || any;
    any = AskFileMetadata(fileW, fileA, "album", told.Album, TRACK_TEXT_SIZE) || any;
    any = AskFileMetadata(fileW, fileA, "comment", told.Comment, TRACK_TEXT_SIZE) || any;
    if (!any)
        return false;
    told.Known = true;
    NowPlaying.Texts = told;
    if (!fileRead)
        ZeroMemory(&NowPlaying.Tag, sizeof NowPlaying.Tag);
    WideToCodePage(CP_ACP, told.Title, NowPlaying.Tag.Title, TAG_TEXT_SIZE);
    WideToCodePage(CP_ACP, told.Artist, NowPlaying.Tag.Artist, TAG_TEXT_SIZE);
    WideToCodePage(CP_ACP, told.Album, NowPlaying.Tag.Album, TAG_TEXT_SIZE);
    WideToCodePage(CP_ACP, told.Comment, NowPlaying.Tag.Comment, TAG_TEXT_SIZE);
    return true;
}

/*
 * Reads the ID3v1 tag of the current file, opened through its wide name
 * (whatever script the name is in).  A file without a tag, or one that
 * cannot be read, has its texts from the player where it can tell them.
 * A stream address keeps everything as it was, and so does a name that
 * was cut to fit NowPlaying.FileName (the cut name would name another
 * file, if any); so does a file that cannot be read when the player cannot
 * tell either: the previous tag stays.
 */
static void ReadTrackTexts(bool nameWasCut)
{
    NowPlaying.TextsCurrent = false;
    if (nameWasCut || IsStreamAddress(NowPlaying.FileNameW))
        return;
    HANDLE file = CreateFileW(NowPlaying.FileNameW, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    bool fileRead = file != INVALID_HANDLE_VALUE;
    if (fileRead) {
        ReadId3v1Tag(file, &NowPlaying.Tag);
        CloseHandle(file);
        if (memcmp(NowPlaying.Tag.Block, "TAG", 3) == 0) {
            TakeTagTexts();
            NowPlaying.TextsCurrent = true;
            return;
        }
    }
    if (TakePlayerTexts(fileRead)) {
        NowPlaying.TextsCurrent = true;
        return;
    }
    if (fileRead)
        NowPlaying.Texts.Known = false;
}

/* Takes file name, title, length and tag of the track the player has moved to. */
static void TakeTrack(PlayerName name)
{
    HeldNameWide = name.Wide != NULL;
    HeldNameLength = name.Wide ? wcslen(name.Wide) : strlen(name.Ansi);
    HeldNameHash =
        name.Wide ? HashName(name.Wide, HeldNameLength * sizeof(wchar_t)) : HashName(name.Ansi, HeldNameLength);
    TakeName(name);
    TakeTitle(NowPlaying.ListPosition);
    NowPlaying.PlayLengthSeconds = GetOutputTime(HOST_OUTPUT_LENGTH_SECONDS);
    ReadTrackTexts(HeldNameLength > PATH_SIZE - 1);
}

/*
 * The log entry of a track change, composed in the shared text buffer: the
 * title, the file name, or both on two lines, as the switches say; in the
 * system's code page, or in UTF-8 from the wide texts when UseUTF8 is on.
 * False when neither switch is on.
 */
static bool ComposeLogText(void)
{
    if (!Settings.RecordLogTitle && !Settings.RecordLogFileName)
        return false;
    char title[TRACK_TEXT_UTF8_SIZE], fileName[TRACK_TEXT_UTF8_SIZE];
    TrackTextForFile(NowPlaying.Title, NowPlaying.TitleW, Settings.UseUTF8 != 0, title, sizeof title);
    TrackTextForFile(NowPlaying.FileName, NowPlaying.FileNameW, Settings.UseUTF8 != 0, fileName, sizeof fileName);
    if (Settings.RecordLogTitle && Settings.RecordLogFileName)
        StringCchPrintfA(SharedText, sizeof SharedText, "%s\r\n%s", title, fileName);
    else
        StringCchCopyA(SharedText, sizeof SharedText, Settings.RecordLogTitle ? title : fileName);
    return true;
}

static bool SignatureWanted(void)
{
    return Settings.UseSignature && Settings.SignatureFileName[0] &&
           (Settings.RecordSignatureTitle || Settings.RecordSignatureFileName);
}

/*
 * One track change, start to end.  The signature and the log are written
 * quietly; their warning boxes (unowned, as the writers show them) come
 * last.  The Now Playing command may run a message loop in which a newer
 * change completes; the clipboard then already holds the newer track and
 * this change's copies are left out.
 */
static void HandleTrackChange(PlayerName name)
{
    unsigned change = ++TrackChanges;
    bool signatureFailed = false;
    bool logFailed = false;

    TakeTrack(name);
    if (SignatureWanted())
        signatureFailed = !WriteSignatureQuietly();
    if (Settings.LogFileName[0] && ComposeLogText())
        logFailed = !AppendLogEntryQuietly(SharedText);
    StreamTrackChanged();
    if (Settings.UseNowPlaying)
        SendMessageA(PluginRecord.HostMainWindow, WM_COMMAND, ID_NOW_PLAYING, 0);
    if (change == TrackChanges) {
        if (Settings.AutoClipboardCopyFileName)
            CopyTextToClipboard(NowPlaying.FileName, NowPlaying.FileNameW);
        if (Settings.AutoClipboardCopyTitle)
            CopyTextToClipboard(NowPlaying.Title, NowPlaying.TitleW);
    }
    if (signatureFailed)
        ShowOpenWarning(BOX_SIGNATURE_WARNING, NULL, Settings.SignatureFileName);
    /* The player may have quit the plug-in while the first box was open. */
    if (logFailed && PluginRunning)
        ShowOpenWarning(BOX_LOG_WARNING, NULL, Settings.LogFileName);
}

/*
 * Asks the player where its playlist stands and returns the file at the
 * current position (owned by the player; none when there is none): in
 * Unicode where the player speaks it, in ANSI where it does not or does
 * not answer, so an idle tick sends three queries either way.
 */
static PlayerName QueryPlayer(void)
{
    NowPlaying.ListPosition = GetListPosition();
    NowPlaying.ListLength = GetListLength();
    PlayerName name = {NULL, NULL};
    if (PlayerSpeaksUnicode())
        name.Wide = GetPlaylistFileW(NowPlaying.ListPosition);
    if (!name.Wide)
        name.Ansi = GetPlaylistFile(NowPlaying.ListPosition);
    return name;
}

/* The change test: no file, or the file taken at the last change, is no change. */
static void TakeAnyChange(PlayerName name)
{
    if ((!name.Wide && !name.Ansi) || IsHeldName(name))
        return;
    HandleTrackChange(name);
}

/*
 * The timer callback.  A tick without a change costs three queries, at
 * most one message to the marquee and one comparison; with the stream
 * text on, one query of the player's state more.
 */
void CALLBACK PollHost(HWND window, UINT message, UINT_PTR timerId, DWORD tickTime)
{
    (void)window;
    (void)message;
    PluginFrame frame;
    PlayerName name = QueryPlayer();
    if (MarqueeWindow)
        SendMessageA(MarqueeWindow, WM_TIMER, timerId, (LPARAM)tickTime);
    TakeAnyChange(name);
    StreamTick();
}

/*
 * The early poll: the same without the marquee's tick.  The marquee counts
 * the timer's ticks and blinks by them once a second; an early poll must
 * not make it blink faster.
 */
void PollHostEarly(void) { TakeAnyChange(QueryPlayer()); }
