/*
 * The readers of the picture embedded in a track file: an ID3v2 tag at the
 * start of the file, else the metadata blocks of a FLAC stream.
 *
 * An ID3v2 tag's body is read whole (as far as the source and one picture
 * plus a margin for the frames in front of it allow) into one buffer, in
 * which the frames are walked; the chosen picture is moved to the front of
 * that buffer, which then becomes the picture's.  FLAC blocks are walked
 * with small reads, and only the chosen picture's bytes are read.  Every
 * length a file declares is checked against what was read or what the
 * source holds before it is used.
 */
#include "watch/pictures.h"

#include <windows.h>

#include <string.h>

enum {
    TAG_HEADER_SIZE = 10,
    TAG_READ_LIMIT = PICTURE_SIZE_LIMIT + 1024 * 1024, /* room for the frames in front of the picture */
    FRONT_COVER = 3,
    FLAC_PICTURE_BLOCK = 6,
    FLAC_BLOCK_LIMIT = 1024
};

/* The picture chosen so far: its offset (in the tag's frames, or in the source) and its size; size 0 for none. */
struct Choice {
    unsigned long long Offset;
    size_t Size;
};

/*
 * Notes a picture: the first front cover replaces any other, else the first
 * picture stays.  Empty and too large pictures count as none.  True once a
 * front cover is chosen, when there is nothing more to look for.
 */
static bool Consider(Choice *choice, unsigned type, unsigned long long offset, unsigned long long size)
{
    if (size == 0 || size > PICTURE_SIZE_LIMIT)
        return false;
    if (type == FRONT_COVER || choice->Size == 0) {
        choice->Offset = offset;
        choice->Size = (size_t)size;
    }
    return type == FRONT_COVER;
}

/* A big-endian number of 1 to 4 bytes. */
static unsigned BigEndian(const unsigned char *bytes, size_t count)
{
    unsigned value = 0;
    for (size_t i = 0; i < count; ++i)
        value = value << 8 | bytes[i];
    return value;
}

/* A synchsafe 28-bit number (7 bits a byte); false when a byte has its high bit set. */
static bool Synchsafe(const unsigned char *bytes, unsigned *value)
{
    *value = 0;
    for (size_t i = 0; i < 4; ++i) {
        if (bytes[i] & 0x80)
            return false;
        *value = *value << 7 | bytes[i];
    }
    return true;
}

/* Undoes unsynchronisation in place (each 0xFF 0x00 back to 0xFF); returns the new length. */
static size_t Resynchronise(unsigned char *bytes, size_t length)
{
    size_t out = 0;
    for (size_t in = 0; in < length; ++in) {
        bytes[out++] = bytes[in];
        if (bytes[in] == 0xFF && in + 1 < length && bytes[in + 1] == 0)
            ++in;
    }
    return out;
}

/*
 * The offset just past the terminator of a text that starts at offset at:
 * one zero byte in encodings 0 (Latin-1) and 3 (UTF-8), a zero 16-bit unit
 * at an even distance from the start in 1 and 2 (UTF-16).  0 when the text
 * has no terminator before length.
 */
static size_t PastText(const unsigned char *data, size_t at, size_t length, unsigned encoding)
{
    size_t step = encoding == 1 || encoding == 2 ? 2 : 1;
    for (; at + step <= length; at += step) {
        if (data[at] == 0 && data[at + step - 1] == 0)
            return at + step;
    }
    return 0;
}

/*
 * Notes the picture of an APIC frame (encoding, MIME type, picture type,
 * description, data) or, in version 2.2, a PIC frame (encoding, 3-byte
 * image format, picture type, description, data) whose body is
 * frames[at, at + length).  True once a front cover is chosen.
 */
static bool ConsiderPictureFrame(const unsigned char *frames, size_t at, size_t length, unsigned version,
                                 Choice *choice)
{
    const unsigned char *body = frames + at;
    if (length < 2 || body[0] > 3)
        return false;
    size_t typeAt = version == 2 ? 4 : PastText(body, 1, length, 0);
    if (typeAt == 0 || typeAt >= length)
        return false;
    size_t dataAt = PastText(body, typeAt + 1, length, body[0]);
    if (dataAt == 0)
        return false;
    return Consider(choice, body[typeAt], at + dataAt, length - dataAt);
}

/*
 * Walks the frames of a tag body (extended header skipped, tag-level
 * unsynchronisation undone) and notes its pictures.  Stops at the padding,
 * at a frame whose size runs past the frames, or at a front cover.
 * Compressed and encrypted frames are skipped; in version 2.4 a frame's own
 * unsynchronisation is undone in place, inside the frame.
 */
static void FindFramePicture(unsigned char *frames, size_t length, unsigned version, Choice *choice)
{
    const size_t headerSize = version == 2 ? 6 : 10;
    size_t at = 0;
    while (length - at >= headerSize && frames[at] != 0) {
        const unsigned char *header = frames + at;
        unsigned size = version == 2 ? BigEndian(header + 3, 3) : BigEndian(header + 4, 4);
        if (version == 4 && !Synchsafe(header + 4, &size))
            return;
        at += headerSize;
        if (size > length - at)
            return;
        size_t bodyAt = at, bodyLength = size;
        at += size;
        if (version == 2 ? memcmp(header, "PIC", 3) != 0 : memcmp(header, "APIC", 4) != 0)
            continue;
        if (version > 2) {
            const unsigned flags = header[9];
            const bool skipped = version == 3 ? (flags & 0xC0) != 0 : (flags & 0x0C) != 0;
            const size_t group = version == 3 ? (flags & 0x20 ? 1 : 0) : (flags & 0x40 ? 1 : 0);
            const size_t extra = group + (version == 4 && (flags & 0x01) ? 4 : 0);
            if (skipped || extra > bodyLength)
                continue;
            bodyAt += extra;
            bodyLength -= extra;
            if (version == 4 && (flags & 0x02))
                bodyLength = Resynchronise(frames + bodyAt, bodyLength);
        }
        if (ConsiderPictureFrame(frames, bodyAt, bodyLength, version, choice))
            return;
    }
}

/*
 * The length of the extended header at the start of a tag body: in 2.3 a
 * 4-byte size that does not count itself, in 2.4 a synchsafe size that
 * does.  More than length when it does not fit the body or is damaged.
 */
static unsigned long long ExtendedHeaderLength(const unsigned char *body, size_t length, unsigned version,
                                               unsigned flags)
{
    unsigned size;
    if (version == 2 || !(flags & 0x40))
        return 0;
    if (length < 4)
        return (unsigned long long)length + 1;
    if (version == 3)
        return (unsigned long long)BigEndian(body, 4) + 4;
    if (!Synchsafe(body, &size) || size < 6)
        return (unsigned long long)length + 1;
    return size;
}

/* Reads count bytes at offset, never past the end of the source. */
static bool ReadBytes(const ByteSource *source, unsigned long long offset, void *buffer, size_t count)
{
    return offset <= source->Size && count <= source->Size - offset &&
           source->Read(source->Context, offset, buffer, count);
}

/*
 * Looks for the picture in the ID3v2 tag at the start of the source.  On
 * return, *tagEnd is the offset just past the tag (header, body and 2.4
 * footer), 0 when the source does not start with a tag.
 */
static bool FindTagPicture(const ByteSource *source, FoundPicture *found, unsigned long long *tagEnd)
{
    unsigned char header[TAG_HEADER_SIZE];
    unsigned size;
    *tagEnd = 0;
    if (!ReadBytes(source, 0, header, sizeof header) || memcmp(header, "ID3", 3) != 0 || header[3] < 2 ||
        header[3] > 4 || header[4] == 0xFF || !Synchsafe(header + 6, &size))
        return false;
    const unsigned version = header[3], flags = header[5];
    *tagEnd = TAG_HEADER_SIZE + (unsigned long long)size + (version == 4 && (flags & 0x10) ? TAG_HEADER_SIZE : 0);
    /* A 2.2 tag with flag 0x40 is compressed as a whole, with no method defined: it has nothing to read. */
    if (version == 2 && (flags & 0x40))
        return false;

    unsigned long long wanted = size;
    if (wanted > source->Size - TAG_HEADER_SIZE)
        wanted = source->Size - TAG_HEADER_SIZE;
    if (wanted > TAG_READ_LIMIT)
        wanted = TAG_READ_LIMIT;
    if (wanted == 0)
        return false;
    unsigned char *body = (unsigned char *)HeapAlloc(GetProcessHeap(), 0, (size_t)wanted);
    if (!body)
        return false;

    Choice choice = {0, 0};
    if (ReadBytes(source, TAG_HEADER_SIZE, body, (size_t)wanted)) {
        size_t length = (size_t)wanted;
        if (version < 4 && (flags & 0x80))
            length = Resynchronise(body, length);
        unsigned long long skip = ExtendedHeaderLength(body, length, version, flags);
        if (skip <= length)
            FindFramePicture(body + skip, length - (size_t)skip, version, &choice);
        choice.Offset += skip;
    }
    if (choice.Size == 0) {
        HeapFree(GetProcessHeap(), 0, body);
        return false;
    }
    /* The buffer becomes the picture's: its bytes to the front, the rest given back. */
    memmove(body, body + choice.Offset, choice.Size);
    void *smaller = HeapReAlloc(GetProcessHeap(), 0, body, choice.Size);
    found->Data = smaller ? (unsigned char *)smaller : body;
    found->Size = choice.Size;
    return true;
}

/* Reads a 32-bit big-endian field at *at, inside the block that ends at end, and moves past it. */
static bool ReadField(const ByteSource *source, unsigned long long *at, unsigned long long end, unsigned *value)
{
    unsigned char bytes[4];
    if (end - *at < 4 || !ReadBytes(source, *at, bytes, 4))
        return false;
    *value = BigEndian(bytes, 4);
    *at += 4;
    return true;
}

/* Moves past a 32-bit length and that many bytes (MIME type, description) inside the block. */
static bool SkipCounted(const ByteSource *source, unsigned long long *at, unsigned long long end)
{
    unsigned length;
    if (!ReadField(source, at, end, &length) || length > end - *at)
        return false;
    *at += length;
    return true;
}

/*
 * Notes the picture of a FLAC PICTURE block whose body is [at, end) of the
 * source: picture type, MIME type, description, width, height, depth and
 * colours, then the data.  True once a front cover is chosen.
 */
static bool ConsiderPictureBlock(const ByteSource *source, unsigned long long at, unsigned long long end,
                                 Choice *choice)
{
    unsigned type, length;
    if (!ReadField(source, &at, end, &type) || !SkipCounted(source, &at, end) || !SkipCounted(source, &at, end) ||
        end - at < 16)
        return false;
    at += 16;
    if (!ReadField(source, &at, end, &length) || length > end - at)
        return false;
    return Consider(choice, type, at, length);
}

/*
 * Walks the FLAC metadata blocks after the "fLaC" at offset at and notes
 * their pictures.  Stops after the last block, at a block that runs past
 * the source, at a front cover, or after FLAC_BLOCK_LIMIT blocks.
 */
static void FindBlockPicture(const ByteSource *source, unsigned long long at, Choice *choice)
{
    unsigned char header[4];
    if (!ReadBytes(source, at, header, 4) || memcmp(header, "fLaC", 4) != 0)
        return;
    at += 4;
    for (int count = 0; count < FLAC_BLOCK_LIMIT && ReadBytes(source, at, header, 4); ++count) {
        const unsigned long long length = BigEndian(header + 1, 3);
        at += 4;
        if (length > source->Size - at)
            return;
        if ((header[0] & 0x7F) == FLAC_PICTURE_BLOCK && ConsiderPictureBlock(source, at, at + length, choice))
            return;
        if (header[0] & 0x80)
            return;
        at += length;
    }
}

bool FindTrackPicture(const ByteSource *source, FoundPicture *found)
{
    unsigned long long tagEnd;
    found->Data = NULL;
    found->Size = 0;
    if (FindTagPicture(source, found, &tagEnd))
        return true;

    Choice choice = {0, 0};
    FindBlockPicture(source, tagEnd, &choice);
    if (choice.Size == 0)
        return false;
    unsigned char *data = (unsigned char *)HeapAlloc(GetProcessHeap(), 0, choice.Size);
    if (!data)
        return false;
    if (!ReadBytes(source, choice.Offset, data, choice.Size)) {
        HeapFree(GetProcessHeap(), 0, data);
        return false;
    }
    found->Data = data;
    found->Size = choice.Size;
    return true;
}

/* A ByteSource's Read on an open file (the context is its handle). */
static bool ReadFromFile(void *context, unsigned long long offset, void *buffer, size_t size)
{
    LARGE_INTEGER distance;
    distance.QuadPart = (LONGLONG)offset;
    if (!SetFilePointerEx((HANDLE)context, distance, NULL, FILE_BEGIN))
        return false;
    unsigned char *bytes = (unsigned char *)buffer;
    while (size > 0) {
        DWORD part = size > 0x40000000 ? 0x40000000 : (DWORD)size, got = 0;
        if (!ReadFile((HANDLE)context, bytes, part, &got, NULL) || got == 0)
            return false;
        bytes += got;
        size -= got;
    }
    return true;
}

bool ReadTrackPictureFile(const wchar_t *path, FoundPicture *found)
{
    LARGE_INTEGER size;
    bool result = false;
    found->Data = NULL;
    found->Size = 0;
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    if (GetFileSizeEx(file, &size) && size.QuadPart >= 0) {
        ByteSource source = {file, (unsigned long long)size.QuadPart, ReadFromFile};
        result = FindTrackPicture(&source, found);
    }
    CloseHandle(file);
    return result;
}

void FreePicture(FoundPicture *found)
{
    if (found->Data)
        HeapFree(GetProcessHeap(), 0, found->Data);
    found->Data = NULL;
    found->Size = 0;
}
