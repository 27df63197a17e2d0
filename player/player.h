/*
 * The stand-in player: plays the media player's part for the tests and the
 * demo.  A real top-level main window whose procedure answers the player's
 * queries and requests from the state below, acts on the player commands,
 * tells itself when it starts a track (the notice the player sends its own
 * window), records every command, keystroke and notice that reaches it,
 * writes its playlist
 * as "winamp.m3u" beside its executable, and loads a gen_*.dll from a
 * Plugins folder the way the player does.
 *
 * One player per process; everything runs on the thread that created it.
 */
#ifndef KESTRUNE_PLAYER_H
#define KESTRUNE_PLAYER_H

#include <windows.h>

#include <map>
#include <string>
#include <vector>

/* The plug-in record as the player sees it: seven pointer-sized fields. */
struct PlayerPluginRecord {
    int Version;
    const char *Description;
    int (*Init)(void);
    void (*Config)(void);
    void (*Quit)(void);
    HWND HostMainWindow;
    HINSTANCE ModuleInstance;
};

/*
 * One playlist entry.  Its names are File and Title, in the system's code
 * page, unless WideFile or WideTitle is set: then those are the names, and
 * the ANSI answers are their conversions to the code page, "?" for what it
 * lacks, as a real player's are.
 */
struct PlayerEntry {
    std::string File;
    std::string Title;
    bool NoTitle = false;   /* GetPlaylistTitle answers 0 for this entry */
    int LengthSeconds = -1; /* written as <len> in winamp.m3u; -1 = unknown */
    std::wstring WideFile = {};
    std::wstring WideTitle = {};
    /* Where the answers live while the plug-in copies them. */
    std::string AnsiFile = {}, AnsiTitle = {};
    std::wstring AnswerFile = {}, AnswerTitle = {};
};

/* One message that reached the player's own window procedure. */
struct PlayerMessage {
    UINT Message;
    WPARAM WParam;
    LPARAM LParam;
};

struct PlayerState {
    std::vector<PlayerEntry> Playlist;
    int Position = 0;      /* GetListPosition; GetPlaylistFile answers 0 outside the list */
    int Status = 0;        /* GetPlayStatus: 1 playing, 3 paused, 0 stopped */
    int OutputMs = -1;     /* GetOutputTime 0 */
    int LengthSeconds = 0; /* GetOutputTime 1 */
    /* Every WM_COMMAND, WM_KEYDOWN and WM_KEYUP that reached the player's own procedure, in order. */
    std::vector<PlayerMessage> Received;
    /* Further messages that are recorded in Received when they reach the player's own procedure. */
    std::vector<UINT> Watched;
    /* Every WM_USER request, in order (wParam and the code in lParam); the player's own notices are not. */
    std::vector<PlayerMessage> Requests;
    std::vector<int> Jumps; /* positions of JumpToTime requests */
    /* Every WM_SETTEXT text that reached the Unicode window's own procedure, as it arrived. */
    std::vector<std::wstring> Texts;
    int PlaylistWrites = 0; /* WritePlaylist requests answered */
    /*
     * Whether the player tells its main window each time it starts a track
     * (WM_USER, wParam the entry's file name, lParam HOST_NOTICE_PLAYING_FILE),
     * and every such notice that reached its own procedure, in order.
     */
    bool SendsNotices = true;
    std::vector<PlayerMessage> Notices;
    /* The player's settings folder, answered for HOST_GET_INI_DIRECTORY; empty answers 0 (an older player). */
    std::string IniDirectory;
    /*
     * The version answered for HOST_GET_VERSION: 0x5000 and up answers the
     * wide names (213, 214) and the wide metadata query (3026), 0x2900 and
     * up the ANSI metadata query (290); 0 is an old player, which answers
     * none of them.
     */
    unsigned Version = 0x5666;
    /* What the player tells of each file (by its wide name): field ("artist", ...) to text. */
    std::map<std::wstring, std::map<std::wstring, std::wstring>> Metadata;
    /*
     * What WM_CLOSE at the main window does, as for a player told to close
     * from outside (its tray icon, a command line, the end of the session),
     * from whatever message loop dispatches it:
     *  CloseDestroys: the system's default, the window is destroyed;
     *  CloseQuits: the plug-in's Quit is called, FreeLibrary waits for
     *    PlayerStopPlugin (after the loop has unwound);
     *  CloseQuitsAndFrees: Quit, then FreeLibrary at once, inside that loop.
     * Closes counts the closes handled so.
     */
    enum CloseAction { CloseDestroys, CloseQuits, CloseQuitsAndFrees } OnClose = CloseDestroys;
    int Closes = 0;
};

/*
 * Player commands: PLAYER_PREVIOUS and PLAYER_NEXT move Position by one and
 * stop at the ends of the list (no wrapping); PLAYER_PLAY sets Status 1,
 * PLAYER_PAUSE toggles 1 <-> 3 (nothing when stopped), PLAYER_STOP sets 0.
 * Other commands are only recorded.
 *
 * Starting a track: PLAYER_PLAY (re)starts the current entry, and a move
 * of PLAYER_PREVIOUS or PLAYER_NEXT while playing or paused starts the new
 * one (Status 1); PlayerEndTrack ends the current one.  Each start of an
 * entry in the list sends the notice when SendsNotices is on, from inside
 * the player's handling of the command, as the player does.
 */

/*
 * The current track ends while playing: the player starts the next entry,
 * or stops (Status 0) after the last.  Nothing happens when it is paused or
 * stopped.
 */
void PlayerEndTrack(void);

/* An entry's names as the player knows them: wide, whatever the entry was given as. */
std::wstring PlayerWideFile(const PlayerEntry &entry);
std::wstring PlayerWideTitle(const PlayerEntry &entry);
/* The system's code page as the player converts to it: "?" for what it lacks. */
std::string PlayerAnsi(const std::wstring &text);

/* The player's state; tests set it and read its records.  PlayerCreateWindow starts it afresh. */
PlayerState &Player();

/*
 * Creates and shows the player's main window: class "KestrunePlayer" with
 * the ANSI procedure PlayerWindowProc, or, with unicode set, class
 * "KestrunePlayerUnicode" registered with RegisterClassExW and the Unicode
 * procedure PlayerWindowProcW, as a player built for Unicode has it.  Both
 * answer and record alike.
 */
HWND PlayerCreateWindow(bool unicode = false);
HWND PlayerWindow(void);
void PlayerDestroyWindow(void);

/* The player's own window procedures, the ones a plug-in's hook passes on to. */
LRESULT CALLBACK PlayerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK PlayerWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

/* Full path of "winamp.m3u" beside the player's executable. */
std::string PlayerPlaylistPath(void);
/* Writes the playlist there as the player does for WritePlaylist. */
void PlayerWritePlaylist(void);

/*
 * Loading in the player's steps, split so that a test can observe the
 * module between loading and init:
 *  PlayerLoadPlugin: finds the first gen_*.dll in the folder and loads it;
 *  PlayerStartPlugin: asks for the record, writes the main window and the
 *    module handle into it, calls Init and returns its result;
 *  PlayerStopPlugin: calls Quit (unless a close already did) and unloads
 *    the DLL (unless a close already did).
 */
HMODULE PlayerLoadPlugin(const std::string &pluginsFolder);
int PlayerStartPlugin(void);
void PlayerStopPlugin(void);
PlayerPluginRecord *PlayerRecord(void);
HMODULE PlayerPluginModule(void);

/* Dispatches every queued message of the thread, then returns. */
void PlayerPump(void);
/* Pumps the thread's messages for about this long (a running player between calls). */
void PlayerPumpFor(DWORD milliseconds);

#endif
