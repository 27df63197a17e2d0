/*
 * The embedded-picture reader on a FLAC stream's metadata blocks.
 *
 * Input: the file's bytes, with "fLaC" put in front where they do not start
 * with it, so that every input reaches the block walker.  The reader must
 * never read outside the file; a picture it finds is 1 to
 * PICTURE_SIZE_LIMIT bytes and stands in the file as it is.
 */
#include "fuzz_check.h"
#include "watch/pictures.h"

#include <string.h>

#include <algorithm>
#include <vector>

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
    std::vector<uint8_t> file;
    if (size < 4 || memcmp(data, "fLaC", 4) != 0)
        file.assign({'f', 'L', 'a', 'C'});
    file.insert(file.end(), data, data + size);

    Memory memory = {file.data(), file.size()};
    ByteSource source = {&memory, file.size(), ReadMemory};
    FoundPicture found = {reinterpret_cast<unsigned char *>(1), 1};
    if (!FindTrackPicture(&source, &found)) {
        FUZZ_CHECK(found.Data == NULL && found.Size == 0);
        return 0;
    }
    FUZZ_CHECK(found.Data != NULL && found.Size >= 1 && found.Size <= PICTURE_SIZE_LIMIT);
    FUZZ_CHECK(std::search(file.begin(), file.end(), found.Data, found.Data + found.Size) != file.end());
    FreePicture(&found);
    FUZZ_CHECK(found.Data == NULL && found.Size == 0);
    return 0;
}
