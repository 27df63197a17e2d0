/*
 * The embedded-picture reader on a whole file that may start with an ID3v2
 * tag (any version, flags and frame sizes, perhaps a FLAC stream after it).
 *
 * Input: the file's bytes.  The reader must never read outside them; a
 * picture it finds is 1 to PICTURE_SIZE_LIMIT bytes, and, where nothing in
 * the file could have been unsynchronised (no 0xFF 0x00 anywhere), the
 * picture's bytes stand in the file as they are.
 */
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

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Memory memory = {data, size};
    ByteSource source = {&memory, size, ReadMemory};
    FoundPicture found = {reinterpret_cast<unsigned char *>(1), 1};
    if (!FindTrackPicture(&source, &found)) {
        FUZZ_CHECK(found.Data == NULL && found.Size == 0);
        return 0;
    }
    FUZZ_CHECK(found.Data != NULL && found.Size >= 1 && found.Size <= PICTURE_SIZE_LIMIT);
    const uint8_t unsynchronised[] = {0xFF, 0x00};
    if (std::search(data, data + size, unsynchronised, unsynchronised + 2) == data + size)
        FUZZ_CHECK(std::search(data, data + size, found.Data, found.Data + found.Size) != data + size);
    FreePicture(&found);
    FUZZ_CHECK(found.Data == NULL && found.Size == 0);
    return 0;
}
