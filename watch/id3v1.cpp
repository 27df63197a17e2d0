/*
 * The ID3v1 tag reader: the fixed 128-byte record at the very end of an MP3
 * file, read into NowPlaying.Tag on every track change.  The reader only
 * reads; it never writes a tag and never tests the "TAG" marker, which is
 * left to each consumer.
 */
#include "kestrune.h"

#include <string.h>

/* Offsets and the length of the four text fields inside the 128-byte block. */
enum {
    TAG_FIELD_LENGTH = 30,
    TAG_TITLE_OFFSET = 3,
    TAG_ARTIST_OFFSET = 33,
    TAG_ALBUM_OFFSET = 63,
    TAG_COMMENT_OFFSET = 97
};

/*
 * Builds one text from its 30-byte field: the bytes up to the first zero
 * byte (or all 30), less the trailing blanks (0x20 only).  Leading blanks,
 * tabs and every other byte stay.  The field is never read beyond its own
 * 30 bytes, so a full field does not run into its neighbour.
 */
static void CutTagText(const unsigned char *field, char *text)
{
    size_t length = 0;
    while (length < TAG_FIELD_LENGTH && field[length] != 0)
        ++length;
    while (length > 0 && field[length - 1] == ' ')
        --length;
    memcpy(text, field, length);
    text[length] = '\0';
}

/*
 * Reads the last 128 bytes of an open file into tag->Block and builds the
 * four texts from it.  A file shorter than 128 bytes has no room for a tag,
 * and a read that delivers fewer bytes has no whole record either: both
 * leave the record all zero (empty texts, no marker) rather than a mixture
 * of the new file's bytes and the previous track's tag.
 */
void ReadId3v1Tag(HANDLE file, Id3v1Tag *tag)
{
    unsigned char block[TAG_BLOCK_SIZE];
    LARGE_INTEGER distance;
    DWORD got = 0;

    ZeroMemory(tag, sizeof *tag);
    distance.QuadPart = -(LONGLONG)TAG_BLOCK_SIZE;
    if (!SetFilePointerEx(file, distance, NULL, FILE_END))
        return;
    if (!ReadFile(file, block, sizeof block, &got, NULL) || got != sizeof block)
        return;

    memcpy(tag->Block, block, sizeof block);
    CutTagText(block + TAG_TITLE_OFFSET, tag->Title);
    CutTagText(block + TAG_ARTIST_OFFSET, tag->Artist);
    CutTagText(block + TAG_ALBUM_OFFSET, tag->Album);
    CutTagText(block + TAG_COMMENT_OFFSET, tag->Comment);
}
