/*
 * The address of the current track's lyrics page, formed from the artist,
 * album and title texts of its ID3v1 tag.
 */
#include "kestrune.h"

#include <string.h>
#include <strsafe.h>

/*
 * The lyrics site: scheme and host, no trailing slash.  The last item of the
 * tray menu carries the site's name ("LyricShelf").
 */
static const char LyricsSiteBase[] = "https://www.lyricshelf.com";

/*
 * The byte after a lead byte of a double-byte code page is taken as its
 * trail byte only when it can be one: every double-byte code page of the
 * system takes its trail bytes from 0x40 up, DEL excepted.  A lower byte
 * (a blank, a quote, "/", "?", "#", "%", a control byte) is never hidden
 * inside a pair; the lead byte then stands alone.
 */
static bool IsTrailByte(unsigned char c) { return c >= 0x40 && c != 0x7F; }

/*
 * True for a text of dots only, which as a whole path segment would be a
 * step in the path rather than a name.
 */
static bool IsDotsOnly(const char *text, size_t length)
{
    for (size_t i = 0; i < length; i++)
        if (text[i] != '.')
            return false;
    return length > 0;
}

/*
 * Appends one tag text to the address as a path segment: a blank becomes
 * "_", A to Z become lower case, and the bytes that would change the
 * address's structure ("/", "?", "#", "%", and "\", which browsers take for
 * "/") are percent-encoded, so that "AC/DC" stays one segment.  So are the
 * double quote and the control bytes: the shell hands the address to the
 * browser on a command line, often inside quotes, and a quote from a tag
 * would end the address there and pass the rest on as further arguments.
 * A text of dots only has every dot encoded, so that the address holds no
 * segment of dots only, which a server may take for a step in the path.
 * Every other byte is kept.
 *
 * The texts are in the system's code page, in which the shell hands the
 * address on: a double-byte character (a lead byte of codePage and its
 * trail byte) is kept whole, since its trail byte may look like "\" or a
 * capital letter but is no character of its own.  A lead byte that ends the
 * text is kept alone.  A tag text holds at most TAG_TEXT_SIZE - 1 bytes, so
 * the segment fits in 3 * TAG_TEXT_SIZE bytes.
 */
static void EncodeLyricsSegment(const char *text, UINT codePage, char *segment)
{
    static const char Hex[] = "0123456789ABCDEF";
    const size_t length = strnlen(text, TAG_TEXT_SIZE - 1);
    const bool dotsOnly = IsDotsOnly(text, length);
    size_t out = 0;
    for (size_t in = 0; in < length; in++) {
        unsigned char c = (unsigned char)text[in];
        if (in + 1 < length && IsDBCSLeadByteEx(codePage, c) && IsTrailByte((unsigned char)text[in + 1])) {
            segment[out++] = (char)c;
            segment[out++] = text[++in];
        } else if (c == '/' || c == '?' || c == '#' || c == '%' || c == '\\' || c == '"' || c < ' ' || c == 0x7F ||
                   dotsOnly) {
            segment[out++] = '%';
            segment[out++] = Hex[c >> 4];
            segment[out++] = Hex[c & 15];
        } else if (c == ' ') {
            segment[out++] = '_';
        } else {
            segment[out++] = (c >= 'A' && c <= 'Z') ? (char)(c - 'A' + 'a') : (char)c;
        }
    }
    segment[out] = '\0';
}

enum { LYRICS_SEGMENT_SIZE = 3 * TAG_TEXT_SIZE };

/*
 * True when the text is empty, or is "." or "..": browsers resolve those
 * two as steps in the path even when their dots are percent-encoded, so no
 * address can carry them as a name.
 */
static bool CannotBeSegment(const char *text)
{
    const size_t length = strnlen(text, TAG_TEXT_SIZE - 1);
    return length == 0 || (length <= 2 && IsDotsOnly(text, length));
}

/*
 * Writes the lyrics page's address for the tag into address (size bytes):
 * the site's base, then "/lyrics/<artist>/<album>/<title>".  Returns false
 * and leaves the address empty when one of the three texts is empty, "."
 * or "..", or the address would not fit.
 */
bool MakeLyricsAddressInCodePage(const Id3v1Tag *tag, UINT codePage, char *address, size_t size)
{
    char artist[LYRICS_SEGMENT_SIZE], album[LYRICS_SEGMENT_SIZE], title[LYRICS_SEGMENT_SIZE];
    address[0] = '\0';
    if (CannotBeSegment(tag->Title) || CannotBeSegment(tag->Artist) || CannotBeSegment(tag->Album))
        return false;
    EncodeLyricsSegment(tag->Artist, codePage, artist);
    EncodeLyricsSegment(tag->Album, codePage, album);
    EncodeLyricsSegment(tag->Title, codePage, title);
    if (FAILED(StringCchPrintfA(address, size, "%s/lyrics/%s/%s/%s", LyricsSiteBase, artist, album, title))) {
        address[0] = '\0';
        return false;
    }
    return true;
}

bool MakeLyricsAddress(const Id3v1Tag *tag, char *address, size_t size)
{
    return MakeLyricsAddressInCodePage(tag, CP_ACP, address, size);
}
