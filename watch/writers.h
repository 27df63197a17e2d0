/*
 * The writers' quiet variants for the track poller.  A warning box runs a
 * modal loop in which further poll ticks are dispatched; the poller
 * therefore writes first and shows the boxes of the writes that failed only
 * after all the other steps of its track change, so that a tick inside such
 * a box finds the earlier change's writes already done.
 */
#ifndef KESTRUNE_WATCH_WRITERS_H
#define KESTRUNE_WATCH_WRITERS_H

#include "kestrune.h"

/*
 * Rewrites the signature file from NowPlaying like WriteSignatureFile.
 * Returns false, without a box, when the file cannot be opened.
 */
bool WriteSignatureQuietly(void);

/*
 * Appends one log entry like AppendLogEntry.  Returns false, without a box,
 * when the log file cannot be opened; true when it wrote or had nothing to
 * write (logging off, no log file name).
 */
bool AppendLogEntryQuietly(const char *text);

/*
 * The warning box of a file that cannot be opened: text = the file name,
 * caption "Can not open selected file", warning icon, owned by owner.  It
 * is a box of the writer's kind: while one is open, for instance while
 * ticks run inside it as the player skips through files on an unplugged
 * drive, the same writer's failures show no second one.
 */
void ShowOpenWarning(BoxKind kind, HWND owner, const char *fileName);

#endif
