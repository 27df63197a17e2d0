/*
 * The records and player calls of the plug-in's parts that the fuzz build
 * leaves out (life cycle, poller, player interface), which the compiled
 * files refer to.
 */
#include "kestrune.h"

PluginRecordFields PluginRecord;
char SettingsPath[PATH_SIZE];
NowPlayingRecord NowPlaying;
char SharedText[SHARED_TEXT_SIZE];

void WritePlaylist(void) {}

bool GetPlayerPlaylistPath(char *path)
{
    path[0] = '\0';
    return false;
}

/* The plug-in runs throughout; boxes are the stand-in's. */
bool PluginRunning = true;

int ShowBox(HWND owner, const char *text, const char *caption, UINT flags)
{
    return MessageBoxA(owner, text, caption, flags);
}
