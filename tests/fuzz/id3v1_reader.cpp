/*
 * ReadId3v1Tag over any file content and size, from any file position: each
 * text is terminated within its 31 bytes, is its field's bytes up to the
 * first zero byte less trailing blanks (so it never ends in one), and the
 * block is the file's last 128 bytes; a file shorter than that gives the
 * all-zero record.  A second read gives the same record.
 */
#include "fuzz_check.h"
#include "kestrune.h"
#include "memory_files.h"

static void CheckText(const char *text, const uint8_t *field)
{
    const void *end = memchr(text, 0, TAG_TEXT_SIZE);
    FUZZ_CHECK(end != NULL);
    size_t length = (const char *)end - text;
    FUZZ_CHECK(length == 0 || text[length - 1] != ' ');
    FUZZ_CHECK(memcmp(text, field, length) == 0);
    for (size_t i = length; i < TAG_TEXT_SIZE - 1 && field[i]; ++i)
        FUZZ_CHECK(field[i] == ' ');
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    LARGE_INTEGER start;
    start.QuadPart = input.ConsumeIntegral<uint16_t>();
    const std::string content = input.ConsumeRemainingBytesAsString();
    StandIn::ClearFiles();
    StandIn::PutFile("C:\\Music\\track.mp3", content);
    HANDLE file = CreateFileA("C:\\Music\\track.mp3", GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    FUZZ_CHECK(file != INVALID_HANDLE_VALUE);
    FUZZ_CHECK(SetFilePointerEx(file, start, NULL, FILE_BEGIN));

    Id3v1Tag *tag = new Id3v1Tag, *again = new Id3v1Tag;
    memset(tag, 0xA5, sizeof *tag);
    ReadId3v1Tag(file, tag);
    if (content.size() >= TAG_BLOCK_SIZE) {
        const uint8_t *block = (const uint8_t *)content.data() + content.size() - TAG_BLOCK_SIZE;
        FUZZ_CHECK(memcmp(tag->Block, block, TAG_BLOCK_SIZE) == 0);
        CheckText(tag->Title, block + 3);
        CheckText(tag->Artist, block + 33);
        CheckText(tag->Album, block + 63);
        CheckText(tag->Comment, block + 97);
    } else {
        static const Id3v1Tag Zero = {};
        FUZZ_CHECK(memcmp(tag, &Zero, sizeof Zero) == 0);
    }
    ReadId3v1Tag(file, again);
    FUZZ_CHECK(memcmp(tag, again, sizeof *tag) == 0);
    CloseHandle(file);
    delete again;
    delete tag;
    return 0;
}
