/*
 * The embedded-picture reader on a whole file that may start with an ID3v2
 * tag (any version, flags and frame sizes, perhaps a FLAC stream after it).
 *
 * Input: the file's bytes.  The reader must never read outside them; a
 * picture it finds is 1 to PICTURE_SIZE_LIMIT bytes, and, where nothing in
 * the file could have been unsynchronised (no 0xFF 0x00 anywhere), the
 * picture's bytes stand in the file as they are.
 */
#include "picture_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const uint8_t unsynchronised[] = {0xFF, 0x00};
    CheckPictureSearch(data, size, std::search(data, data + size, unsynchronised, unsynchronised + 2) == data + size);
    return 0;
}
