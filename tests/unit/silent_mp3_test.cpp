/*
 * The demo's MP3 writer: its frames chain from the first byte to the tag at
 * the exact bit rate, and the tag reader reads back the texts it wrote.
 */
#include <gtest/gtest.h>

#include <string.h>

#include "kestrune.h"
#include "player/silent_mp3.h"
#include "tests/rig/rig.h"

TEST(SilentMp3, FramesAtTheBitRateThenATagTheReaderReads)
{
    const Mp3Tag tag = {"A title one byte too long for it",   "Artist", "Album", "2024",
                        "A comment longer than its 28 bytes", 7,        12};
    const int frames = 48;
    std::string bytes = SilentMp3(tag, frames);

    size_t position = 0;
    int count = 0;
    while (position + 4 <= bytes.size() - 128) {
        int length = Mp3FrameLength((const unsigned char *)bytes.data() + position);
        ASSERT_GT(length, 0) << "no frame header at byte " << position;
        position += length;
        count++;
    }
    EXPECT_EQ(frames, count);
    /* 144 x 128000 / 44100 bytes a frame on average, the remainder carried by the padded frames. */
    EXPECT_EQ((size_t)frames * 144 * 128000 / 44100, position);
    ASSERT_EQ(position + 128, bytes.size());

    std::string path = rig::ExecutableFolder() + "silent.mp3";
    rig::WriteFile(path, bytes);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    Id3v1Tag read;
    ReadId3v1Tag(file, &read);
    CloseHandle(file);
    DeleteFileA(path.c_str());

    EXPECT_EQ(0, memcmp(read.Block, "TAG", 3));
    EXPECT_STREQ("A title one byte too long for", read.Title);
    EXPECT_STREQ("Artist", read.Artist);
    EXPECT_STREQ("Album", read.Album);
    EXPECT_STREQ("A comment longer than its 28", read.Comment);
    EXPECT_EQ(std::string("2024", 4), std::string((const char *)read.Block + 93, 4));
    EXPECT_EQ(7, read.Block[126]);
    EXPECT_EQ(12, read.Block[127]);
}
