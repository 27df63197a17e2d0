/*
 * The front-cover picture embedded in a track file: found in an ID3v2 tag
 * at the start of the file (versions 2.2, 2.3 and 2.4, also in front of a
 * FLAC stream) or in a FLAC stream's PICTURE metadata block.  The readers
 * take the picture's encoded bytes (JPEG, PNG, ...) as they are stored;
 * they never decode them.  A file may declare any size: the readers never
 * read past the end of the source and never allocate more than one picture
 * (PICTURE_SIZE_LIMIT) plus a small margin.
 */
#ifndef KESTRUNE_WATCH_PICTURES_H
#define KESTRUNE_WATCH_PICTURES_H

#include <stddef.h>

/* Larger pictures count as none. */
enum { PICTURE_SIZE_LIMIT = 16 * 1024 * 1024 };

/*
 * Where the bytes come from: a file or, in tests, memory.  Read copies size
 * bytes from offset into buffer; it returns false unless all size bytes
 * were read.
 */
struct ByteSource {
    void *Context;
    unsigned long long Size; /* whole length of the source */
    bool (*Read)(void *context, unsigned long long offset, void *buffer, size_t size);
};

/* The encoded picture found in a track: Data from HeapAlloc(GetProcessHeap()), freed by FreePicture. */
struct FoundPicture {
    unsigned char *Data;
    size_t Size;
};

/*
 * Looks for the picture in an ID3v2 tag at the start of the source, then,
 * when the tag has none or there is no tag, in the FLAC metadata blocks
 * after "fLaC" (at the start or right after the tag).  The first front
 * cover (picture type 3) wins, else the first picture of any type; empty,
 * damaged and too large pictures count as none.  True only with a picture
 * (Data non-null, Size 1 to PICTURE_SIZE_LIMIT); false leaves found empty.
 */
bool FindTrackPicture(const ByteSource *source, FoundPicture *found);

/*
 * FindTrackPicture on a file, opened for reading while others may go on
 * reading, writing or deleting it.  False when the file cannot be opened
 * or read, or has no picture.
 */
bool ReadTrackPictureFile(const wchar_t *path, FoundPicture *found);

/* Frees a picture's bytes and empties the record; an empty record is left as it is. */
void FreePicture(FoundPicture *found);

#endif
