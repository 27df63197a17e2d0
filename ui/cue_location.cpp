/*
 * Cue locations: positions in CD frames, 75 a second, kept within the range
 * the player's seek position can take, their milliseconds, and their text
 * "MM:SS:FF", typed or shown.  No window code, so the tweaker's arithmetic
 * and its parser can be tested and fuzzed on their own.
 */
#include "kestrune.h"

#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <strsafe.h>

enum { FRAMES_PER_MINUTE = 60 * CUE_FRAMES_PER_SECOND, MILLISECONDS_PER_SECOND = 1000 };

static_assert((long long)CUE_POSITION_MAX * MILLISECONDS_PER_SECOND / CUE_FRAMES_PER_SECOND <= INT_MAX &&
                  (long long)(CUE_POSITION_MAX + 1) * MILLISECONDS_PER_SECOND / CUE_FRAMES_PER_SECOND > INT_MAX,
              "the largest cue position is the last whose milliseconds fit a signed 32-bit seek position");

/*
 * Positions are computed in 64 bits and kept within the range: a typed
 * 999999 minutes or a negative part neither wraps nor goes below 0, and the
 * milliseconds of every kept position fit the player's seek position.
 */
int KeepCuePosition(long long frames)
{
    if (frames < 0)
        return 0;
    return frames > CUE_POSITION_MAX ? CUE_POSITION_MAX : (int)frames;
}

/*
 * The position of the player's position in milliseconds, whole seconds
 * first, so its frames are always 00: 65 432 ms is 01:05:00.  No position
 * (-1) counts as 0.
 */
int CuePositionAt(int milliseconds)
{
    if (milliseconds == -1)
        milliseconds = 0;
    return KeepCuePosition((long long)(milliseconds / MILLISECONDS_PER_SECOND) * CUE_FRAMES_PER_SECOND);
}

/* Truncated, as the player's position in milliseconds: 4912 frames are 65 493 ms. */
int CueMilliseconds(int position)
{
    return (int)((long long)position * MILLISECONDS_PER_SECOND / CUE_FRAMES_PER_SECOND);
}

/*
 * One part, read as strtol reads it with the player's 32-bit long: a
 * number beyond that range reads as its limit on every platform.
 */
static long long ReadPart(const char *text)
{
    long value = strtol(text, NULL, 10);
    if (value < INT_MIN)
        return INT_MIN;
    return value > INT_MAX ? INT_MAX : value;
}

/*
 * A location "M:S:F": minutes from the start of the text, seconds after the
 * first colon, frames after the second, each read as strtol reads (leading
 * blanks and a sign allowed, stopping at the first non-digit, 0 without
 * digits).  A part may exceed its usual range and counts in full: 0:90:80
 * is 6830 frames.  Without two colons the text is no location.
 */
bool ParseCueLocation(const char *text, int *position)
{
    const char *first = strchr(text, ':');
    const char *second = first ? strchr(first + 1, ':') : NULL;
    if (!second)
        return false;
    *position = KeepCuePosition(ReadPart(text) * FRAMES_PER_MINUTE + ReadPart(first + 1) * CUE_FRAMES_PER_SECOND +
                                ReadPart(second + 1));
    return true;
}

/* "%02lu:%02lu:%02lu"; minutes are not limited (100 minutes read 100:00:00). */
void FormatCueLocation(int position, char *text, size_t size)
{
    StringCchPrintfA(text, size, "%02lu:%02lu:%02lu", (unsigned long)(position / FRAMES_PER_MINUTE),
                     (unsigned long)(position / CUE_FRAMES_PER_SECOND % 60),
                     (unsigned long)(position % CUE_FRAMES_PER_SECOND));
}
