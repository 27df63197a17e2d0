/*
 * The ID3v1 tag reader on real files: each case writes a file, opens it the
 * way the poller does and checks the record byte for byte.
 */
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "kestrune.h"

namespace
{

/* A 30-byte field: the text, then pad bytes up to 30. */
std::string Field(const std::string &text, char pad)
{
    std::string field = text;
    field.resize(30, pad);
    return field;
}

/* A 128-byte block from its parts, in the stored layout. */
std::string Block(const std::string &marker, const std::string &title, const std::string &artist,
                  const std::string &album, const std::string &year, const std::string &comment, char genre)
{
    std::string block = marker + title + artist + album + year + comment + std::string(1, genre);
    EXPECT_EQ(128u, block.size());
    return block;
}

std::string Blanks(size_t count) { return std::string(count, ' '); }

std::string TestFolder()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, path, sizeof path);
    std::string folder(path, length);
    folder = folder.substr(0, folder.rfind('\\') + 1) + "tmp\\";
    CreateDirectoryA(folder.c_str(), NULL);
    folder += "id3v1\\";
    CreateDirectoryA(folder.c_str(), NULL);
    return folder;
}

void WriteWholeFile(const std::string &path, const std::string &bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    DWORD written = 0;
    if (!bytes.empty())
        WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, NULL);
    CloseHandle(file);
    ASSERT_EQ(bytes.size(), written);
}

/* Opens the file as the poller does and reads its tag into a record that holds an earlier tag. */
Id3v1Tag ReadTagOf(const std::string &path, const Id3v1Tag &earlier)
{
    Id3v1Tag tag = earlier;
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    EXPECT_NE(INVALID_HANDLE_VALUE, file);
    ReadId3v1Tag(file, &tag);
    CloseHandle(file);
    return tag;
}

/* The empty record the reader leaves when there is no tag to read: every byte zero. */
Id3v1Tag EmptyTag()
{
    Id3v1Tag tag;
    memset(&tag, 0, sizeof tag);
    return tag;
}

/* A record as an earlier track left it: every byte set. */
Id3v1Tag EarlierTag()
{
    Id3v1Tag tag;
    memset(&tag, 'x', sizeof tag);
    memcpy(tag.Block, "TAG", 3);
    tag.Title[30] = tag.Artist[30] = tag.Album[30] = tag.Comment[30] = '\0';
    return tag;
}

struct TagCase {
    const char *Name;
    std::string Bytes; /* the whole file */
    std::string Title, Artist, Album, Comment;
};

/* Names the case in test lists instead of dumping its bytes. */
void PrintTo(const TagCase &c, std::ostream *out) { *out << c.Name; }

class Id3v1Read : public ::testing::TestWithParam<TagCase>
{
};

TEST_P(Id3v1Read, TextsAndBlockAsStored)
{
    const TagCase &c = GetParam();
    std::string path = TestFolder() + c.Name + ".mp3";
    WriteWholeFile(path, c.Bytes);
    Id3v1Tag tag = ReadTagOf(path, EarlierTag());

    std::string last = c.Bytes.substr(c.Bytes.size() - 128);
    EXPECT_EQ(last, std::string((const char *)tag.Block, 128));
    EXPECT_EQ(c.Title, tag.Title);
    EXPECT_EQ(c.Artist, tag.Artist);
    EXPECT_EQ(c.Album, tag.Album);
    EXPECT_EQ(c.Comment, tag.Comment);
    DeleteFileA(path.c_str());
}

const std::string Audio(3000, '\xFF');
const std::string Full30 = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123";

/* An ordinary tag, every text blank-padded: "Song", "Band", "Record", 2005, "Nice", genre 17. */
std::string SongTag()
{
    return Block("TAG", Field("Song", ' '), Field("Band", ' '), Field("Record", ' '), "2005", Field("Nice", ' '), 17);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Id3v1Read,
    ::testing::Values(
        TagCase{"BlankPadding", Audio + SongTag(), "Song", "Band", "Record", "Nice"},
        TagCase{"ZeroPadding",
                Audio + Block("TAG", Field("Song", '\0'), Field("Band", '\0'), Field("Record", '\0'), "2005",
                              Field("Nice", '\0'), 17),
                "Song", "Band", "Record", "Nice"},
        /* Blanks before the first zero are trimmed; what follows the zero is not part of the text. */
        TagCase{"BlanksThenZeros",
                Audio + Block("TAG", Field("Song  ", '\0'), Field(std::string("Band\0Junk", 9), ' '),
                              Field("Record", ' '), "2005", Field("Nice", ' '), 0),
                "Song", "Band", "Record", "Nice"},
        TagCase{"FullTitle",
                Audio + Block("TAG", Full30, Field("Band", ' '), Field("Record", ' '), "2005", Field("", ' '), 1),
                Full30, "Band", "Record", ""},
        TagCase{"FullArtist",
                Audio + Block("TAG", Field("Song", ' '), Full30, Field("Record", ' '), "2005", Field("", ' '), 1),
                "Song", Full30, "Record", ""},
        TagCase{"FullAlbumBeforeYear",
                Audio + Block("TAG", Field("Song", ' '), Field("Band", ' '), Full30, "1999", Field("", ' '), 1), "Song",
                "Band", Full30, ""},
        TagCase{"FullCommentBeforeGenre",
                Audio + Block("TAG", Field("Song", ' '), Field("Band", ' '), Field("Record", ' '), "1999", Full30, 'G'),
                "Song", "Band", "Record", Full30},
        TagCase{"AllFieldsFull", Audio + Block("TAG", Full30, Full30, Full30, "1999", Full30, 'G'), Full30, Full30,
                Full30, Full30},
        TagCase{"BlankAndZeroFields",
                Audio + Block("TAG", Blanks(30), Field(std::string("\0Band", 5), ' '), Field("", '\0'), "    ",
                              Blanks(30), 0),
                "", "", "", ""},
        TagCase{"LeadingBlanksKept",
                Audio + Block("TAG", Field("Song", ' '), Field("  Band", ' '), Field(" Record", '\0'), "2005",
                              Field("   ", ' '), 0),
                "Song", "  Band", " Record", ""},
        TagCase{"TabAndHighBytesKept",
                Audio + Block("TAG", Field("Song\t", ' '), Field("Caf\xE9\x01", ' '), Field("\tRecord", ' '), "2005",
                              Field("Nice \x80", ' '), 0),
                "Song\t", "Caf\xE9\x01", "\tRecord", "Nice \x80"},
        /* ID3v1.1: 28 characters, a zero byte and the track number 7. */
        TagCase{"TrackNumberInComment",
                Audio + Block("TAG", Field("Song", ' '), Field("Band", ' '), Field("Record", ' '), "2005",
                              std::string("0123456789012345678901234567\0\x07", 30), 12),
                "Song", "Band", "Record", "0123456789012345678901234567"},
        /* A file of exactly 128 bytes is all tag. */
        TagCase{"TagOnly", SongTag(), "Song", "Band", "Record", "Nice"},
        /* No tag: the texts are cut from whatever the last 128 bytes hold, by the same rule. */
        TagCase{"NoTag",
                Audio + Block("RIF", Field("abc  ", ' '), Full30, Field("x", '\0'), "data", Field(" y ", ' '), ' '),
                "abc", Full30, "x", " y"}),
    [](const ::testing::TestParamInfo<TagCase> &info) { return std::string(info.param.Name); });

/*
 * Files without room for a tag, and reads that fall short: the record is
 * all zero, never a mixture of the new file's bytes and the earlier tag.
 */
TEST(Id3v1Short, EmptyAnd100ByteAnd127ByteFilesGiveAnEmptyRecord)
{
    const Id3v1Tag zero = EmptyTag();
    for (size_t size : {0u, 100u, 127u}) {
        SCOPED_TRACE(size);
        std::string path = TestFolder() + "short.mp3";
        WriteWholeFile(path, std::string("TAGSong").substr(0, size) + std::string(size > 7 ? size - 7 : 0, 'z'));
        Id3v1Tag tag = ReadTagOf(path, EarlierTag());
        EXPECT_EQ(0, memcmp(&zero, &tag, sizeof tag));
        DeleteFileA(path.c_str());
    }
}

/* A handle without read access: the read fails and the record is empty. */
TEST(Id3v1Short, FailedReadGivesAnEmptyRecord)
{
    std::string path = TestFolder() + "writeonly.mp3";
    WriteWholeFile(path, Audio + SongTag());
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    Id3v1Tag tag = EarlierTag();
    ReadId3v1Tag(file, &tag);
    CloseHandle(file);
    const Id3v1Tag zero = EmptyTag();
    EXPECT_EQ(0, memcmp(&zero, &tag, sizeof tag));
    DeleteFileA(path.c_str());
}

/* The reader moves to the end itself, wherever the file stands; the same file read twice gives equal records. */
TEST(Id3v1Repeat, SameFileTwiceGivesEqualRecords)
{
    std::string path = TestFolder() + "twice.mp3";
    WriteWholeFile(
        path, Audio + Block("TAG", Field("Song", ' '), Full30, Field("Record", '\0'), "2005", Field("Nice", ' '), 17));
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    Id3v1Tag first = EarlierTag();
    Id3v1Tag second = EmptyTag();
    ReadId3v1Tag(file, &first);
    SetFilePointer(file, 17, NULL, FILE_BEGIN);
    ReadId3v1Tag(file, &second);
    CloseHandle(file);
    EXPECT_EQ(0, memcmp(&first, &second, sizeof first));
    EXPECT_STREQ(Full30.c_str(), second.Artist);
    DeleteFileA(path.c_str());
}

} // namespace
