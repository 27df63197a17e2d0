/*
 * The track poller: the callback of the one-second timer that init starts.
 * Every tick it asks the player for its playlist position, length and the
 * file at that position, and passes the tick on to the marquee.  When the
 * file differs from the one seen last, it takes the new track into
 * NowPlaying, reads its ID3v1 tag and hands it to the writers.
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
 * NowPlaying.FileName holds at most 259 characters of the player's name.
 * To tell a long name that has not changed from a different one sharing
 * the same first 259 characters, the full name's length and a hash of all
 * of it are kept alongside.
 */
static size_t HeldNameLength;
static unsigned long long HeldNameHash;
/* Counts track changes, so that a change can tell whether a newer one ran inside it. */
static unsigned TrackChanges;

/* FNV-1a, 64 bits, over length bytes. */
static unsigned long long HashName(const char *name, size_t length)
{
    unsigned long long hash = 14695981039346656037ULL;
    for (size_t i = 0; i < length; ++i) {
        hash ^= (unsigned char)name[i];
        hash *= 1099511628211ULL;
    }
    return hash;
}

/*
 * True when the player's name is the one taken at the last change, byte
 * for byte, case counting.  The first 259 bytes are compared with the held
 * copy; only a name that runs on beyond them is measured and hashed.
 */
static bool IsHeldName(const char *name)
{
    const size_t held = PATH_SIZE - 1;
    for (size_t i = 0; i < held; ++i) {
        if (name[i] != NowPlaying.FileName[i])
            return false;
        if (name[i] == '\0')
            return true;
    }
    size_t length = held + strlen(name + held);
    return length == HeldNameLength && HashName(name, length) == HeldNameHash;
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

/*
 * Reads the tag of the current file.  A file that does not open (a stream
 * address, a missing or locked file) leaves the previous tag in place.  So
 * does a name that was cut to fit NowPlaying.FileName: the cut name would
 * name another file, if any.
 */
static void ReadCurrentTag(bool nameWasCut)
{
    if (nameWasCut)
        return;
    HANDLE file = CreateFileA(NowPlaying.FileName, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return;
    ReadId3v1Tag(file, &NowPlaying.Tag);
    CloseHandle(file);
}

/* Takes file name, title, length and tag of the track the player has moved to. */
static void TakeTrack(const char *name)
{
    HeldNameLength = strlen(name);
    HeldNameHash = HashName(name, HeldNameLength);
    CopyPlayerText(NowPlaying.FileName, name);
    CopyPlayerText(NowPlaying.Title, GetPlaylistTitle(NowPlaying.ListPosition));
    NowPlaying.PlayLengthSeconds = GetOutputTime(HOST_OUTPUT_LENGTH_SECONDS);
    ReadCurrentTag(HeldNameLength > PATH_SIZE - 1);
}

/*
 * The log entry of a track change, composed in the shared text buffer: the
 * title, the file name, or both on two lines, as the switches say.  False
 * when neither switch is on.
 */
static bool ComposeLogText(void)
{
    if (Settings.RecordLogTitle && Settings.RecordLogFileName)
        StringCchPrintfA(SharedText, sizeof SharedText, "%s\r\n%s", NowPlaying.Title, NowPlaying.FileName);
    else if (Settings.RecordLogTitle)
        StringCchCopyA(SharedText, sizeof SharedText, NowPlaying.Title);
    else if (Settings.RecordLogFileName)
        StringCchCopyA(SharedText, sizeof SharedText, NowPlaying.FileName);
    else
        return false;
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
static void HandleTrackChange(const char *name)
{
    unsigned change = ++TrackChanges;
    bool signatureFailed = false;
    bool logFailed = false;

    TakeTrack(name);
    if (SignatureWanted())
        signatureFailed = !WriteSignatureQuietly();
    if (Settings.LogFileName[0] && ComposeLogText())
        logFailed = !AppendLogEntryQuietly(SharedText);
    if (Settings.UseNowPlaying)
        SendMessageA(PluginRecord.HostMainWindow, WM_COMMAND, ID_NOW_PLAYING, 0);
    if (change == TrackChanges) {
        if (Settings.AutoClipboardCopyFileName)
            CopyTextToClipboard(NowPlaying.FileName);
        if (Settings.AutoClipboardCopyTitle)
            CopyTextToClipboard(NowPlaying.Title);
    }
    if (signatureFailed)
        ShowOpenWarning(BOX_SIGNATURE_WARNING, NULL, Settings.SignatureFileName);
    /* The player may have quit the plug-in while the first box was open. */
    if (logFailed && PluginRunning)
        ShowOpenWarning(BOX_LOG_WARNING, NULL, Settings.LogFileName);
}

/*
 * Asks the player where its playlist stands and returns the file at the
 * current position (owned by the player; 0 when there is none).
 */
static const char *QueryPlayer(void)
{
    NowPlaying.ListPosition = GetListPosition();
    NowPlaying.ListLength = GetListLength();
    return GetPlaylistFile(NowPlaying.ListPosition);
}

/* The change test: no file, or the file taken at the last change, is no change. */
static void TakeAnyChange(const char *name)
{
    if (!name || IsHeldName(name))
        return;
    HandleTrackChange(name);
}

/*
 * The timer callback.  A tick without a change costs three queries, at
 * most one message to the marquee and one comparison.
 */
void CALLBACK PollHost(HWND window, UINT message, UINT_PTR timerId, DWORD tickTime)
{
    (void)window;
    (void)message;
    PluginFrame frame;
    const char *name = QueryPlayer();
    if (MarqueeWindow)
        SendMessageA(MarqueeWindow, WM_TIMER, timerId, (LPARAM)tickTime);
    TakeAnyChange(name);
}

/*
 * The early poll: the same without the marquee's tick.  The marquee counts
 * the timer's ticks and blinks by them once a second; an early poll must
 * not make it blink faster.
 */
void PollHostEarly(void) { TakeAnyChange(QueryPlayer()); }
