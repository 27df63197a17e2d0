/*
 * What the master playlist's and the snapshots' code share, inside
 * playlist/ only.  Include after "kestrune.h".
 */
#ifndef KESTRUNE_PLAYLIST_H
#define KESTRUNE_PLAYLIST_H

/*
 * A message box owned by the player's main window, so that it stays in
 * front of the player and blocks it while open.  Returns the pressed button.
 */
int ShowPlayerBox(const char *text, const char *caption, UINT flags);

/*
 * Writes head, separator, the stamp "YYYYMMDDhhmmss" of time and tail into
 * name, a buffer of size bytes.  A name that would not fit is refused
 * (false, name emptied) rather than cut, since a cut name could name
 * another file.
 */
bool FormatDatedName(char *name, size_t size, const char *head, const char *separator, const SYSTEMTIME *time,
                     const char *tail);

#endif
