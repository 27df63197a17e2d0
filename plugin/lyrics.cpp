/*
 * The address of the current track's lyrics page, formed from the artist,
 * album and title texts of its ID3v1 tag.
 */
#include "kestrune.h"

#include <strsafe.h>

/*
 * The lyrics site: scheme and host, no trailing slash.  The last item of the
 * tray menu carries the site's name ("LyricShelf").
 */
static const char LyricsSiteBase[] = "https://www.lyricshelf.com";

/*
 * Appends one tag text to the address as a path segment: a blank becomes
 * "_", A to Z become lower case, and the bytes that would change the
 * address's structure ("/", "?", "#", "%", and "\", which browsers take for
 * "/") are percent-encoded, so that "AC/DC" stays one segment.  So are the
 * double quote and the control bytes: the shell hands the address to the
 * browser on a command line, often inside quotes, and a quote from a tag
 * would end the address there and pass the rest on as further arguments.
 * Every other byte is kept.  A tag text holds at most TAG_TEXT_SIZE - 1
 * bytes, so the segment fits in 3 * TAG_TEXT_SIZE bytes.
 */
static void EncodeLyricsSegment(const char *text, char *segment)
{
    static const char Hex[] = "0123456789ABCDEF";
    size_t out = 0;
    for (size_t in = 0; in < TAG_TEXT_SIZE - 1 && text[in]; in++) {
        unsigned char c = (unsigned char)text[in];
        if (c == '/' || c == '?' || c == '#' || c == '%' || c == '\\' || c == '"' || c < ' ' || c == 0x7F) {
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
 * Writes the lyrics page's address for the tag into address (size bytes):
 * the site's base, then "/lyrics/<artist>/<album>/<title>".  Returns false
 * and leaves the address empty when one of the three texts is empty or the
 * address would not fit.
 */
bool MakeLyricsAddress(const Id3v1Tag *tag, char *address, size_t size)
{
    char artist[LYRICS_SEGMENT_SIZE], album[LYRICS_SEGMENT_SIZE], title[LYRICS_SEGMENT_SIZE];
    address[0] = '\0';
    if (!tag->Title[0] || !tag->Artist[0] || !tag->Album[0])
        return false;
    EncodeLyricsSegment(tag->Artist, artist);
    EncodeLyricsSegment(tag->Album, album);
    EncodeLyricsSegment(tag->Title, title);
    if (FAILED(StringCchPrintfA(address, size, "%s/lyrics/%s/%s/%s", LyricsSiteBase, artist, album, title))) {
        address[0] = '\0';
        return false;
    }
    return true;
}
