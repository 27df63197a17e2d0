/*
 * The message box and the dated file names used by both the master
 * playlist's commands and the snapshots.
 */
#include "kestrune.h"

#include "playlist/playlist.h"

#include <strsafe.h>

int ShowPlayerBox(const char *text, const char *caption, UINT flags)
{
    return ShowBox(PluginRecord.HostMainWindow, text, caption, flags);
}

bool FormatDatedName(char *name, size_t size, const char *head, const char *separator, const SYSTEMTIME *time,
                     const char *tail)
{
    HRESULT result = StringCchPrintfA(name, size, "%s%s%04u%02u%02u%02u%02u%02u%s", head, separator, time->wYear,
                                      time->wMonth, time->wDay, time->wHour, time->wMinute, time->wSecond, tail);
    if (FAILED(result)) {
        name[0] = '\0';
        return false;
    }
    return true;
}
