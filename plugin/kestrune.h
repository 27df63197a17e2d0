/*
 * The one shared header of gen_Kestrune.dll: the module-level records and
 * the functions by which the plug-in's parts call each other.
 *
 * Everything here runs on the player's user-interface thread, so nothing is
 * locked.  All records are static and zero when the DLL is loaded.
 */
#ifndef KESTRUNE_H
#define KESTRUNE_H

#include <windows.h>

#include "res/resource.h"

/* Path fields hold at most 259 characters and a terminator. */
enum { PATH_SIZE = MAX_PATH, FAVORITES_SIZE = 1040, TAG_TEXT_SIZE = 31, TAG_BLOCK_SIZE = 128 };

/* ---- plugin/: record, life cycle, hook ---------------------------------- */

/*
 * The record the player reads and writes in place.  Seven 32-bit fields on
 * the player's platform; the player fills the last two before Init.
 */
struct PluginRecordFields {
    int Version;
    const char *Description;
    int (*Init)(void);
    void (*Config)(void);
    void (*Quit)(void);
    HWND HostMainWindow;
    HINSTANCE ModuleInstance;
};
#ifndef _WIN64
static_assert(sizeof(PluginRecordFields) == 28, "the player reads a 28-byte record");
#endif

extern PluginRecordFields PluginRecord;
/* The module handle the DLL entry point received. */
extern HINSTANCE ModuleHandle;
/*
 * Full path of plugin.ini: beside the DLL, or in the player's settings
 * folder when the DLL's folder cannot be written; empty until init.
 */
extern char SettingsPath[PATH_SIZE];
/* The player's own main-window procedure that MainWindowHook passes on to. */
extern WNDPROC PreviousMainWindowProc;
/* Identifier of the one-second poll timer; 0 when it did not start. */
extern UINT_PTR PollTimerId;

int PluginInit(void);
void PluginConfig(void);
void PluginQuit(void);

/*
 * True from the start of init to the start of quit.  Code that resumes
 * after a modal loop (a box, a picker, a menu) checks it before it goes on:
 * the player may have quit the plug-in from inside that loop.
 */
extern bool PluginRunning;

/*
 * Counts an entry of the plug-in while it runs (the hook, init, config,
 * the poll timer, the marquee's procedure): one at the top of each.
 */
struct PluginFrame {
    PluginFrame();
    ~PluginFrame();
};
/* Whether an entry of the plug-in is still running below the caller. */
bool PluginFramesBelow(void);

/*
 * The plug-in's modal calls, so that quit can end them: each modal call
 * (dialog, picker, box, menu) is wrapped in BeginModal and EndModal; the
 * window it creates is found by itself (plugin/modal.cpp).
 */
enum ModalKind { MODAL_DIALOG, MODAL_PICKER, MODAL_BOX, MODAL_MENU };
void BeginModal(ModalKind kind);
void EndModal(void);
/* Quit: ends every modal window of the plug-in that is open, the innermost first. */
void EndModalWindows(void);
/* Keeps this DLL in memory until the process ends, whatever the player frees. */
void KeepModuleLoaded(void);

/*
 * Computes the full path of "plugin.ini" beside the module named by
 * moduleFileName into path (PATH_SIZE bytes).
 */
void MakeSettingsPath(const char *moduleFileName, char *path);
/*
 * The same for the player's settings folder: "<folder>\Plugins\plugin.ini"
 * into path (PATH_SIZE bytes); empty when the folder is empty or the result
 * would not fit.
 */
void MakePlayerSettingsPath(const char *folder, char *path);

/*
 * Kinds of message box that one failure may ask for again and again, from
 * the poll timer or from paints: while such a box is open, its modal loop
 * dispatches the next tick, which may fail the same way.  At most one box
 * of each kind is open at a time.  A new kind goes before BOX_KIND_COUNT.
 */
enum BoxKind { BOX_SIGNATURE_WARNING, BOX_LOG_WARNING, BOX_MARQUEE_IMAGE_COPY, BOX_KIND_COUNT };

/*
 * Shows a message box (MessageBoxA's arguments and answer) unless a box of
 * the same kind is open already; then it shows nothing and returns 0.  The
 * caller goes on either way: its failure has happened, only the second box
 * is left out.  Once the open box is closed, the next call shows it again.
 */
int ShowBoxOfKind(BoxKind kind, HWND owner, const char *text, const char *caption, UINT flags);
/* MessageBoxA as one of the plug-in's modal calls: every box of the plug-in goes through it. */
int ShowBox(HWND owner, const char *text, const char *caption, UINT flags);

/* Shows the system's text for a failed call; see plugin/report.cpp. */
void ReportSystemError(HWND owner, DWORD code, const char *source, unsigned line);
/*
 * The same for a failure that may repeat while its box is open: the box is
 * one of the kind (ShowBoxOfKind).  The debugger texts are written for
 * every call, also when the box is left out, so each failure is recorded.
 */
void ReportSystemError(BoxKind kind, HWND owner, DWORD code, const char *source, unsigned line);

LRESULT CALLBACK MainWindowHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
/*
 * Puts MainWindowHook in place of the player's procedure (init), or arms
 * it again where an earlier quit had to leave it in the window's chain;
 * registers the shell's "TaskbarCreated" message for it.
 */
void InstallMainWindowHook(void);
/* Gives the player's window its own procedure back (quit). */
void RemoveMainWindowHook(void);
struct Id3v1Tag;
/*
 * The lyrics page's address for a tag into address (size bytes); false and
 * empty when the title, artist or album is empty, "." or "..", or the
 * address would not fit.  The texts are taken in the system's code page;
 * the second form names the code page (CP_ACP for the system's).
 */
bool MakeLyricsAddress(const Id3v1Tag *tag, char *address, size_t size);
bool MakeLyricsAddressInCodePage(const Id3v1Tag *tag, UINT codePage, char *address, size_t size);

/* ---- settings/ ----------------------------------------------------------- */

/* A stream template or text holds at most 1,023 characters in plugin.ini. */
enum { STREAM_TEMPLATE_SIZE = 1024, STREAM_COVER_SIZE_MAX = 4096 };

struct MarqueeLineStyle {
    LOGFONTA Font;
    COLORREF Foreground;
    int Display;
};

struct SettingsRecord {
    char SignatureFileName[PATH_SIZE];
    int UseSignature;
    int RecordSignatureFileName;
    int RecordSignatureTitle;
    char LogFileName[PATH_SIZE];
    int UseLog;
    int RecordLogFileName;
    int RecordLogTitle;
    char M3UFileName[PATH_SIZE];
    int UseM3U;
    char SnapShotDirectory[PATH_SIZE];
    int UseNowPlaying;
    int AutoClipboardCopyFileName;
    int AutoClipboardCopyTitle;
    int AlwaysConfigureOnLaunch;
    int Zelt_Mode;
    COLORREF MarqueeBackground;
    char FavoritesDirectory[FAVORITES_SIZE];
    MarqueeLineStyle Title;
    MarqueeLineStyle Artist;
    MarqueeLineStyle Album;
    MarqueeLineStyle Time;
    /* The signature file and the log in UTF-8 (from the wide texts) rather than the system's code page. */
    int UseUTF8;
    /* The stream outputs: an empty file name switches its output off. */
    char StreamTextFileName[PATH_SIZE];
    char StreamTemplate[STREAM_TEMPLATE_SIZE];
    char StreamPausedTemplate[STREAM_TEMPLATE_SIZE];
    char StreamStoppedText[STREAM_TEMPLATE_SIZE];
    char StreamCoverFileName[PATH_SIZE];
    int StreamCoverSize;
};

extern SettingsRecord Settings;

/* Fills Settings from SettingsPath (or the file at path); missing keys take their defaults. */
void LoadSettings(void);
void LoadSettingsFrom(const char *path);
/*
 * Writes every key to SettingsPath; nothing when the path is empty.
 * Returns the system's error of the first key that could not be written,
 * 0 when every write succeeded.
 */
DWORD SaveSettings(void);
/* Writes only M3UFileName (when not empty) to SettingsPath, at once. */
void SaveM3UFileName(void);
/*
 * Parses up to 13 ':'-separated decimal numbers of a font description into
 * font, field by field, stopping at the first malformed place.
 */
void ParseFontDescription(const char *text, LOGFONTA *font);

/* ---- host/: the player's messages ---------------------------------------- */

int GetPlayStatus(void);
int GetOutputTime(int mode);
void JumpToTime(int milliseconds);
void WritePlaylist(void);
int GetListLength(void);
int GetListPosition(void);
/* Pointers owned by the player: copy at once, never keep. 0 when none. */
const char *GetPlaylistFile(int index);
const char *GetPlaylistTitle(int index);
/* The same as wide texts, from a Unicode-capable player; 0 from one without these messages. */
const wchar_t *GetPlaylistFileW(int index);
const wchar_t *GetPlaylistTitleW(int index);

/*
 * The player's version, asked once at init (IPC_GETVERSION): 0x5000 and up
 * speaks Unicode (wide names and metadata), 0x2900 and up tells every
 * format's metadata in ANSI texts, anything lower (0 included) gets only the
 * plug-in's oldest messages.
 */
void AskPlayerVersion(void);
bool PlayerSpeaksUnicode(void);
bool PlayerTellsMetadata(void);
/*
 * One metadata field ("title", "artist", ...) of the file the player knows
 * by these names, into text (size characters, always terminated, cut at a
 * whole character): asked in Unicode where the player speaks it, else (or
 * after a zero answer) in ANSI.  False, with text empty, when the player
 * could not tell or is too old to be asked.
 */
bool AskFileMetadata(const wchar_t *fileW, const char *fileA, const char *field, wchar_t *text, size_t size);
/* The player's settings folder (owned by the player: copy at once); 0 from a player that does not tell. */
const char *GetIniDirectory(void);
/* Sends a player command (WM_COMMAND, lParam 0); the result is ignored. */
void SendPlayerCommand(int command);
/*
 * The player's "winamp.m3u" beside its executable, into path (PATH_SIZE
 * bytes).  False when the executable's name has no backslash or the result
 * would not fit.
 */
bool GetPlayerPlaylistPath(char *path);

/* ---- watch/: poller, tag reader, writers --------------------------------- */

struct Id3v1Tag {
    unsigned char Block[TAG_BLOCK_SIZE];
    char Title[TAG_TEXT_SIZE];
    char Artist[TAG_TEXT_SIZE];
    char Album[TAG_TEXT_SIZE];
    char Comment[TAG_TEXT_SIZE];
};

/*
 * The artist, title, album and comment the windows show: from the ID3v1 tag
 * where the file has one, else as the player tells them (every format),
 * kept whole up to 255 characters.
 */
enum { TRACK_TEXT_SIZE = 256 };
struct TrackTexts {
    wchar_t Title[TRACK_TEXT_SIZE];
    wchar_t Artist[TRACK_TEXT_SIZE];
    wchar_t Album[TRACK_TEXT_SIZE];
    wchar_t Comment[TRACK_TEXT_SIZE];
    /*
     * Some track has had texts: a tag, or the player told them.  They stay
     * when a later track's file can be neither read nor described
     * (NowPlaying.TextsCurrent says whether they are the current track's).
     */
    bool Known;
};

struct NowPlayingRecord {
    char FileName[PATH_SIZE];
    char Title[PATH_SIZE];
    int ListPosition;
    int ListLength;
    int PlayLengthSeconds;
    Id3v1Tag Tag;
    /*
     * The same names as the player gives them in Unicode (or as the ANSI
     * names read in the system's code page, from an older player); FileName
     * and Title are their ANSI forms, "?" where the code page lacks a
     * character, as the player's own ANSI answers are.
     */
    wchar_t FileNameW[PATH_SIZE];
    wchar_t TitleW[PATH_SIZE];
    TrackTexts Texts;
    /*
     * Texts were read or told for this very track; false where they stay
     * from an earlier one (a file that cannot be read, a player that
     * cannot tell), as the windows keep showing them.
     */
    bool TextsCurrent;
};

extern NowPlayingRecord NowPlaying;

/*
 * The one text buffer shared by the poller's log text and the lyrics
 * lookup's address; both run on the player's thread, never at once.
 */
enum { SHARED_TEXT_SIZE = 2048 };
extern char SharedText[SHARED_TEXT_SIZE];

void ReadId3v1Tag(HANDLE file, Id3v1Tag *tag);
void CALLBACK PollHost(HWND window, UINT message, UINT_PTR timerId, DWORD tickTime);
void WriteSignatureFile(void);
void EmptySignatureFile(void);
void AppendLogEntry(const char *text);
/* The text as CF_TEXT and its wide form as CF_UNICODETEXT, in one opening of the clipboard. */
void CopyTextToClipboard(const char *text, const wchar_t *wide);

/* ---- watch/texts.cpp: conversions of the track's texts ----------------------- */

/*
 * Converts between the system's code page (or another) and wide texts into
 * out (size units, always terminated), cut at a whole character when the
 * text does not fit.  Characters the code page lacks become "?".
 */
void WideToCodePage(UINT codePage, const wchar_t *text, char *out, size_t size);
void CodePageToWide(UINT codePage, const char *text, wchar_t *out, size_t size);
/*
 * UTF-8 without a byte-order mark into out (size bytes, always terminated),
 * cut at a whole character; a lone surrogate becomes U+FFFD.  Returns the
 * length written.
 */
size_t EncodeUtf8(const wchar_t *text, char *out, size_t size);
/*
 * A text the player wrote into a buffer of size characters, perhaps without
 * a terminator, as the track's text: at most TRACK_TEXT_SIZE - 1
 * characters, never ending in half a surrogate pair.
 */
void TakePlayerText(const wchar_t *answer, size_t size, wchar_t *text);
/*
 * A name or title as a file receives it: the ANSI text as it is, or its
 * wide form in UTF-8 when utf8 is set.  A 259-character text needs at most
 * TRACK_TEXT_UTF8_SIZE bytes in UTF-8.
 */
enum { TRACK_TEXT_UTF8_SIZE = 3 * PATH_SIZE };
void TrackTextForFile(const char *ansi, const wchar_t *wide, bool utf8, char *out, size_t size);
/* True for a name the player streams from ("scheme://..."): no file to read. */
bool IsStreamAddress(const wchar_t *name);

/*
 * The early poll, run when the player has told its window that it starts
 * a file: the tick's queries and change test and, on a change, the same
 * steps as a tick's change.  It is no tick: nothing is forwarded to the
 * marquee.  The hook runs it from the player's message loop, never inside
 * the player's own handling of the notice.
 */
void PollHostEarly(void);

/* ---- stream/: the now-playing text and cover for streaming programs -------- */

/* The template's fields, in the order FillStreamTemplate names them. */
enum StreamField {
    FIELD_ARTIST,
    FIELD_TITLE,
    FIELD_ALBUM,
    FIELD_ALBUM_ARTIST,
    FIELD_YEAR,
    FIELD_TRACK,
    FIELD_GENRE,
    FIELD_COMMENT,
    FIELD_FILE_NAME,
    FIELD_PATH,
    FIELD_LENGTH,
    FIELD_POSITION,
    STREAM_FIELD_COUNT
};
/* A value for each field; NULL counts as empty. */
struct StreamValues {
    const wchar_t *Field[STREAM_FIELD_COUNT];
};
/* The stream text holds at most 4,095 characters. */
enum { STREAM_TEXT_SIZE = 4096 };
/*
 * Fills pattern's fields ("%title%", "%%", parts in square brackets left
 * out when a field in them is empty) into out (size units, terminated, cut
 * at a whole character).  Returns the length written.
 */
size_t FillStreamTemplate(const wchar_t *pattern, const StreamValues *values, wchar_t *out, size_t size);

/*
 * The outputs' steps, each doing nothing while its output is off (an empty
 * file name): a track change (at the signature's moment), every tick (the
 * player's state, and a replacement that failed before), and quit (the
 * stopped text).
 */
void StreamTrackChanged(void);
void StreamTick(void);
void StreamQuit(void);
/* The window's OK: both outputs made anew for the current track, under their new names and texts. */
void StreamSettingsChanged(void);
/* A template (in the system's code page) filled for the current track: the text, and the window's preview. */
void FillStreamTemplateForTrack(const char *pattern, wchar_t *out, size_t size);
/*
 * Writes bytes to "<target>.tmp" beside target, then moves that over target
 * in one step (replace-existing, write-through).  False when any step
 * failed; a temporary file that could not be moved stays for the next try,
 * which is MoveStreamFile.
 */
bool ReplaceStreamFile(const wchar_t *target, const void *bytes, size_t size);
/* "<target>.tmp" into temporary (size units); false when it would not fit. */
bool MakeStreamTemporaryName(const wchar_t *target, wchar_t *temporary, size_t size);
bool MoveStreamFile(const wchar_t *target);
/* Writes the current track's cover to the cover file; false when it is not in place yet. */
bool WriteStreamCover(const wchar_t *target, int largestSide);

/* The Stream Outputs window (template 109), modal over the player's window; one at a time. */
void RunStreamOutputsDialog(void);

/* ---- playlist/: master playlist and snapshots ---------------------------- */

void AddCurrentTrack(void);
void TakeSnapShot(void);
void ReplacePlaylist(void);
void ClearPlaylist(void);
void AddAllTracks(void);
void CopyToFavorites(void);
/*
 * The dated names, into name (PATH_SIZE bytes): a snapshot
 * "<folder>\YYYYMMDDhhmmss.m3u", and a backup of the master playlist with
 * everything from its last "." replaced by "-YYYYMMDDhhmmss.<extension>".
 * False, with an empty name, when the name would not fit or (backup) the
 * master's name has no ".".
 */
bool MakeSnapShotName(const char *folder, const SYSTEMTIME *time, char *name);
bool MakeBackupName(const char *master, const SYSTEMTIME *time, char *name);

/* ---- ui/tray.cpp: the tray icon and the command menu ---------------------- */

/*
 * Adds (NIM_ADD) or removes (NIM_DELETE) the tray icon (HostMainWindow,
 * 1381); init adds it, quit removes it, and the hook adds it again after
 * the system's shell restarted.
 */
void NotifyTrayIcon(DWORD action);
/* Registers the shell's "TaskbarCreated" message (init); IsTaskbarCreated tells it. */
void RegisterTrayMessages(void);
bool IsTaskbarCreated(UINT message);
/* The tray icon's callback (lParam, the mouse message): 1 when handled. */
LRESULT AnswerTrayIcon(LPARAM mouseMessage);
/*
 * The plug-in's command menu (the "PopUP" submenu of menu 104, loaded anew
 * each time) tracked centred on the cursor (x + 1) for owner, which is
 * made the foreground window first and receives the chosen item as a
 * WM_COMMAND.  WM_NULL is posted to owner once the menu has closed, so
 * that a click outside the menu closes it properly.
 */
void ShowCommandMenu(HWND owner);
/*
 * Sets the four items that need a current track in any menu of the
 * player's window (WM_INITMENU, WM_INITMENUPOPUP), and the build stamp.
 */
void InitialiseMenuItems(HMENU menu);

/* ---- ui/: windows and dialogs --------------------------------------------- */

/* The open marquee window and the Now Playing dialog; NULL when none. */
extern HWND MarqueeWindow;
extern HWND NowPlayingDialog;

/* Runs the configuration dialog (template 101) modally, owned by the player. */
void RunConfigurationDialog(void);
void ShowNowPlaying(void);
void SwitchNowPlayingView(void);
void OpenMarqueeWindow(void);
void OpenCuePointTweaker(void);
void ChooseLineFont(MarqueeLineStyle *style);
/*
 * The Save-as picker over owner, opened on file (PATH_SIZE bytes): true
 * with the confirmed name in file, false with file unchanged.
 */
bool ChooseSaveFile(HWND owner, const char *filter, const char *extension, char *file);
void ChooseBackgroundColour(COLORREF *colour);

/* ---- ui/: Now Playing, Control Panel and Cue Point Tweaker ---------------- */

/* Sets the build date and time into items 1026 and 1027 of window, where it has them. */
void ShowBuildStamp(HWND window);
/* The same into the window's items dateItem and timeItem. */
void ShowBuildStampIn(HWND window, int dateItem, int timeItem);
/* Shows window at the top of the Z order without moving it, as the foreground window. */
void ShowInFront(HWND window);
/*
 * A modal dialog of which one runs at a time: Running is set before the
 * platform creates it, Window from its WM_INITDIALOG (the procedure sets it).
 */
struct ModalDialog {
    bool Running;
    HWND Window;
};
/*
 * Runs the template modally over the player's window and returns when it
 * has ended; a request while it runs (a dialog inside the dialog would
 * take over its controls in turn) brings the open one to the front.
 */
void RunModalDialogOnce(int templateId, DLGPROC procedure, ModalDialog *dialog);
/* Quit: destroys the Now Playing dialog and every open cue point tweaker. */
void CloseNowPlaying(void);
void CloseCuePointTweakers(void);

/*
 * Cue positions count CD frames, 75 a second.  The largest one is the last
 * whose milliseconds (frames * 1000 / 75) fit the player's signed 32-bit
 * seek position.
 */
enum { CUE_FRAMES_PER_SECOND = 75, CUE_POSITION_MAX = 161061273 };
/* A position computed in 64 bits, kept within 0 and CUE_POSITION_MAX. */
int KeepCuePosition(long long frames);
/* The position of the player's position in milliseconds, in whole seconds (-1 for none counts as 0). */
int CuePositionAt(int milliseconds);
/* The milliseconds of a kept position, truncated. */
int CueMilliseconds(int position);
/*
 * Reads a typed location "M:S:F" (minutes, seconds, frames, each part read
 * as strtol reads it with a 32-bit long and counted in full) into
 * *position, kept within 0 and CUE_POSITION_MAX.  False, *position
 * untouched, when the text has no two colons.
 */
bool ParseCueLocation(const char *text, int *position);
/* A position as "MM:SS:FF" (minutes not limited) into text (size bytes). */
void FormatCueLocation(int position, char *text, size_t size);

/* ---- end of the dialogs' block -------------------------------------------- */

/* ---- ui/: the marquee ------------------------------------------------------ */

/*
 * Quit: destroys an open marquee and unregisters its window class, which
 * lives under the player's module and names this DLL's procedure.
 */
void CloseMarqueeWindow(void);

/* ---- end of the marquee's block ------------------------------------------- */

#endif
