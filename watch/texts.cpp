/*
 * The track's texts between their forms: the player's wide texts, the
 * system's code page (what the player's ANSI answers and today's files
 * hold) and UTF-8 (what the files hold by choice).  Every result is
 * terminated within its buffer and cut at a whole character.
 */
#include "kestrune.h"

#include <string.h>
#include <wchar.h>

static bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
static bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

/* The length of a wide text cut to at most limit units, never between the halves of a pair. */
static size_t WholeUnits(const wchar_t *text, size_t length, size_t limit)
{
    if (length <= limit)
        return length;
    if (limit > 0 && IsHighSurrogate(text[limit - 1]) && IsLowSurrogate(text[limit]))
        return limit - 1;
    return limit;
}

/*
 * Character by character (one unit, or a surrogate pair), so that a text
 * too long for the buffer is cut at a whole character.  WC_NO_BEST_FIT_CHARS:
 * a character the code page lacks becomes "?", not a look-alike, as in the
 * player's own ANSI answers.
 */
void WideToCodePage(UINT codePage, const wchar_t *text, char *out, size_t size)
{
    if (size == 0)
        return;
    size_t used = 0;
    for (size_t i = 0; text[i];) {
        int units = IsHighSurrogate(text[i]) && IsLowSurrogate(text[i + 1]) ? 2 : 1;
        char bytes[8];
        int count =
            WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, text + i, units, bytes, sizeof bytes, NULL, NULL);
        if (count <= 0) {
            bytes[0] = '?';
            count = 1;
        }
        if (used + (size_t)count >= size)
            break;
        memcpy(out + used, bytes, (size_t)count);
        used += (size_t)count;
        i += (size_t)units;
    }
    out[used] = '\0';
}

/*
 * A byte, or a lead byte and its trail byte, gives one wide character, so
 * a text is cut, where it must be, before a whole character of the code
 * page.
 */
void CodePageToWide(UINT codePage, const char *text, wchar_t *out, size_t size)
{
    if (size == 0)
        return;
    size_t length = strlen(text);
    size_t kept = 0;
    for (size_t characters = 0; kept < length && characters < size - 1; ++characters)
        kept += IsDBCSLeadByteEx(codePage, (BYTE)text[kept]) && kept + 1 < length ? 2 : 1;
    int written = kept ? MultiByteToWideChar(codePage, 0, text, (int)kept, out, (int)size - 1) : 0;
    out[written > 0 ? written : 0] = L'\0';
}

/* The code point at text[*i], moving *i past it; a lone surrogate reads as U+FFFD. */
static unsigned NextCodePoint(const wchar_t *text, size_t *i)
{
    unsigned unit = (unsigned)(unsigned short)text[*i];
    ++*i;
    if (IsHighSurrogate((wchar_t)unit) && IsLowSurrogate(text[*i])) {
        unsigned low = (unsigned)(unsigned short)text[*i];
        ++*i;
        return 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
    }
    if (IsHighSurrogate((wchar_t)unit) || IsLowSurrogate((wchar_t)unit))
        return 0xFFFD;
    return unit;
}

size_t EncodeUtf8(const wchar_t *text, char *out, size_t size)
{
    if (size == 0)
        return 0;
    size_t length = 0;
    for (size_t i = 0; text[i];) {
        unsigned point = NextCodePoint(text, &i);
        unsigned char bytes[4];
        size_t count;
        if (point < 0x80) {
            bytes[0] = (unsigned char)point;
            count = 1;
        } else if (point < 0x800) {
            bytes[0] = (unsigned char)(0xC0 | (point >> 6));
            bytes[1] = (unsigned char)(0x80 | (point & 0x3F));
            count = 2;
        } else if (point < 0x10000) {
            bytes[0] = (unsigned char)(0xE0 | (point >> 12));
            bytes[1] = (unsigned char)(0x80 | ((point >> 6) & 0x3F));
            bytes[2] = (unsigned char)(0x80 | (point & 0x3F));
            count = 3;
        } else {
            bytes[0] = (unsigned char)(0xF0 | (point >> 18));
            bytes[1] = (unsigned char)(0x80 | ((point >> 12) & 0x3F));
            bytes[2] = (unsigned char)(0x80 | ((point >> 6) & 0x3F));
            bytes[3] = (unsigned char)(0x80 | (point & 0x3F));
            count = 4;
        }
        if (length + count >= size)
            break;
        memcpy(out + length, bytes, count);
        length += count;
    }
    out[length] = '\0';
    return length;
}

void TakePlayerText(const wchar_t *answer, size_t size, wchar_t *text)
{
    size_t length = 0;
    while (length < size && answer[length])
        ++length;
    length = WholeUnits(answer, length, TRACK_TEXT_SIZE - 1);
    memcpy(text, answer, length * sizeof(wchar_t));
    text[length] = L'\0';
}

void TrackTextForFile(const char *ansi, const wchar_t *wide, bool utf8, char *out, size_t size)
{
    if (utf8) {
        EncodeUtf8(wide, out, size);
        return;
    }
    size_t length = strnlen(ansi, size - 1);
    memcpy(out, ansi, length);
    out[length] = '\0';
}

bool IsStreamAddress(const wchar_t *name) { return wcsstr(name, L"://") != NULL; }
