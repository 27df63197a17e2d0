/*
 * What both picture targets check, on a whole file held in memory: the
 * reader never reads outside the file; a failed search leaves the record
 * empty; a found picture is 1 to PICTURE_SIZE_LIMIT bytes and, where the
 * caller says nothing could have been unsynchronised, stands in the file as
 * it is; freeing empties the record.
 */
#ifndef KESTRUNE_FUZZ_PICTURE_CHECK_H
#define KESTRUNE_FUZZ_PICTURE_CHECK_H

#include "fuzz_check.h"
#include "watch/pictures.h"

#include <string.h>

#include <algorithm>

struct Memory {
    const uint8_t *Bytes;
    size_t Size;
};

static bool ReadMemory(void *context, unsigned long long offset, void *buffer, size_t size)
{
    const Memory *memory = static_cast<const Memory *>(context);
    FUZZ_CHECK(offset <= memory->Size && size <= memory->Size - offset);
    memcpy(buffer, memory->Bytes + offset, size);
    return true;
}

static void CheckPictureSearch(const uint8_t *file, size_t size, bool bytesAsStored)
{
    Memory memory = {file, size};
    ByteSource source = {&memory, size, ReadMemory};
    FoundPicture found = {reinterpret_cast<unsigned char *>(1), 1};
    if (!FindTrackPicture(&source, &found)) {
        FUZZ_CHECK(found.Data == NULL && found.Size == 0);
        return;
    }
    FUZZ_CHECK(found.Data != NULL && found.Size >= 1 && found.Size <= PICTURE_SIZE_LIMIT);
    if (bytesAsStored)
        FUZZ_CHECK(std::search(file, file + size, found.Data, found.Data + found.Size) != file + size);
    FreePicture(&found);
    FUZZ_CHECK(found.Data == NULL && found.Size == 0);
}

#endif
