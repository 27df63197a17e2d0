/*
 * The embedded-picture reader on a FLAC stream's metadata blocks.
 *
 * Input: the file's bytes, with "fLaC" put in front where they do not start
 * with it, so that every input reaches the block walker.  The reader must
 * never read outside the file; a picture it finds is 1 to
 * PICTURE_SIZE_LIMIT bytes and stands in the file as it is.
 */
#include "picture_check.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::vector<uint8_t> file;
    if (size < 4 || memcmp(data, "fLaC", 4) != 0)
        file.assign({'f', 'L', 'a', 'C'});
    file.insert(file.end(), data, data + size);
    CheckPictureSearch(file.data(), file.size(), true);
    return 0;
}
