/*
 * The cue point tweaker's locations, for any typed text (cut at its first
 * zero byte, as an edit holds it) and any kept starting position:
 * - a text is a location exactly when it has two colons; otherwise the
 *   position stays as it was;
 * - a location is minutes x 4500 + seconds x 75 + frames, each part read as
 *   strtol reads it with a 32-bit long, kept within 0 and CUE_POSITION_MAX;
 * - the milliseconds of every position fit a signed 32-bit seek position;
 * - the text shown for a position reads back as that position;
 * - the player's position in milliseconds gives whole seconds of frames.
 * The text ends its own heap block, so a read past its terminator is caught.
 */
#include "fuzz_check.h"
#include "kestrune.h"

#include <ctype.h>
#include <limits.h>
#include <string>

/* A part as a second, independent reading: blanks, a sign, digits; limits for what is beyond 32 bits. */
static long long ReadPart(const char *text)
{
    while (*text == ' ' || (*text >= '\t' && *text <= '\r'))
        ++text;
    bool negative = *text == '-';
    if (*text == '-' || *text == '+')
        ++text;
    long long number = 0;
    for (; isdigit((unsigned char)*text) && number <= INT_MAX; ++text)
        number = number * 10 + (*text - '0');
    number = negative ? -number : number;
    return number < INT_MIN ? INT_MIN : number > INT_MAX ? INT_MAX : number;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const int start = input.ConsumeIntegralInRange<int>(0, CUE_POSITION_MAX);
    const int milliseconds = input.ConsumeIntegral<int>();
    std::string text = input.ConsumeRemainingBytesAsString();
    text = text.c_str();
    char *typed = new char[text.size() + 1];
    memcpy(typed, text.c_str(), text.size() + 1);

    int position = start;
    const bool parsed = ParseCueLocation(typed, &position);
    const char *first = strchr(typed, ':');
    const char *second = first ? strchr(first + 1, ':') : NULL;
    FUZZ_CHECK(parsed == (second != NULL));
    if (parsed) {
        long long sum = ReadPart(typed) * 4500 + ReadPart(first + 1) * 75 + ReadPart(second + 1);
        FUZZ_CHECK(position == (sum < 0 ? 0 : sum > CUE_POSITION_MAX ? CUE_POSITION_MAX : sum));
    } else {
        FUZZ_CHECK(position == start);
    }
    FUZZ_CHECK(position >= 0 && position <= CUE_POSITION_MAX);
    FUZZ_CHECK(CueMilliseconds(position) == (long long)position * 1000 / 75);
    FUZZ_CHECK(CueMilliseconds(CUE_POSITION_MAX) <= INT_MAX && (long long)(CUE_POSITION_MAX + 1) * 1000 / 75 > INT_MAX);

    char shown[32];
    FormatCueLocation(position, shown, sizeof shown);
    int again = -1;
    FUZZ_CHECK(ParseCueLocation(shown, &again) && again == position);
    FUZZ_CHECK(strlen(shown) >= 8 && shown[strlen(shown) - 3] == ':' && shown[strlen(shown) - 6] == ':');

    const int at = CuePositionAt(milliseconds);
    FUZZ_CHECK(at == (milliseconds > 0 ? milliseconds / 1000 * 75 : 0));
    delete[] typed;
    return 0;
}
