/*
 * The dated names of snapshots and master-playlist backups, and the lyrics
 * page's address: formed into fixed buffers, refused rather than cut.
 */
#include <gtest/gtest.h>

#include <string>

#include "kestrune.h"

namespace
{

SYSTEMTIME Stamp(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second)
{
    SYSTEMTIME time = {};
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    time.wHour = hour;
    time.wMinute = minute;
    time.wSecond = second;
    return time;
}

const SYSTEMTIME Morning = Stamp(2026, 3, 7, 6, 5, 9);

TEST(SnapShotName, FolderBackslashStampAndExtension)
{
    struct Case {
        const char *Folder;
        const char *Expected;
    } cases[] = {
        {"D:\\Snaps", "D:\\Snaps\\20260307060509.m3u"},
        {"D:\\Snaps\\", "D:\\Snaps\\\\20260307060509.m3u"},
        {"snaps", "snaps\\20260307060509.m3u"},
    };
    for (const Case &c : cases) {
        char name[PATH_SIZE] = "x";
        EXPECT_TRUE(MakeSnapShotName(c.Folder, &Morning, name)) << c.Folder;
        EXPECT_STREQ(c.Expected, name);
    }
    SYSTEMTIME late = Stamp(1999, 12, 31, 23, 59, 58);
    char name[PATH_SIZE];
    ASSERT_TRUE(MakeSnapShotName("C:", &late, name));
    EXPECT_STREQ("C:\\19991231235958.m3u", name);
}

TEST(SnapShotName, TooLongForAPathIsRefusedNotCut)
{
    /* "\" + 14 digits + ".m3u" is 19 bytes; with the terminator 240 folder bytes fit exactly. */
    const std::string fits(240, 'f');
    const std::string over(241, 'f');
    char name[PATH_SIZE + 16];
    memset(name, '#', sizeof name);
    ASSERT_TRUE(MakeSnapShotName(fits.c_str(), &Morning, name));
    EXPECT_EQ(PATH_SIZE - 1, strlen(name));
    EXPECT_EQ(fits + "\\20260307060509.m3u", name);

    memset(name, '#', sizeof name);
    EXPECT_FALSE(MakeSnapShotName(over.c_str(), &Morning, name));
    EXPECT_STREQ("", name);
    EXPECT_EQ('#', name[PATH_SIZE]) << "nothing written past the buffer";
    EXPECT_FALSE(MakeSnapShotName(std::string(259, 'g').c_str(), &Morning, name));
    EXPECT_STREQ("", name);
}

TEST(BackupName, StampReplacesFromTheLastDot)
{
    struct Case {
        const char *Master;
        const char *Expected;
    } cases[] = {
        {"C:\\Lists\\master.m3u", "C:\\Lists\\master-20260307060509.m3u"},
        {"C:\\Lists\\master.list.m3u8", "C:\\Lists\\master.list-20260307060509.m3u8"},
        {"C:\\my.lists\\master", "C:\\my-20260307060509.lists\\master"},
        {"C:\\Lists\\master.", "C:\\Lists\\master-20260307060509."},
    };
    for (const Case &c : cases) {
        char name[PATH_SIZE];
        EXPECT_TRUE(MakeBackupName(c.Master, &Morning, name)) << c.Master;
        EXPECT_STREQ(c.Expected, name);
    }
}

TEST(BackupName, NoDotOrTooLongIsRefused)
{
    char name[PATH_SIZE + 16];
    memset(name, '#', sizeof name);
    EXPECT_FALSE(MakeBackupName("C:\\Lists\\master", &Morning, name));
    EXPECT_STREQ("", name);

    /* The stamp adds 15 bytes ("-" and 14 digits): a master of 244 bytes still fits. */
    const std::string fits = "C:\\" + std::string(237, 'm') + ".m3u";
    const std::string over = "C:\\" + std::string(238, 'm') + ".m3u";
    ASSERT_EQ(244u, fits.size());
    ASSERT_TRUE(MakeBackupName(fits.c_str(), &Morning, name));
    EXPECT_EQ(PATH_SIZE - 1, strlen(name));
    EXPECT_EQ("C:\\" + std::string(237, 'm') + "-20260307060509.m3u", name);

    memset(name, '#', sizeof name);
    EXPECT_FALSE(MakeBackupName(over.c_str(), &Morning, name));
    EXPECT_STREQ("", name);
    EXPECT_EQ('#', name[PATH_SIZE]);
    const std::string longest = std::string(258, 'm') + ".";
    EXPECT_FALSE(MakeBackupName(longest.c_str(), &Morning, name));
}

Id3v1Tag Tag(const char *artist, const char *album, const char *title)
{
    Id3v1Tag tag = {};
    strncpy(tag.Artist, artist, TAG_TEXT_SIZE - 1);
    strncpy(tag.Album, album, TAG_TEXT_SIZE - 1);
    strncpy(tag.Title, title, TAG_TEXT_SIZE - 1);
    return tag;
}

const std::string Base = "https://www.lyricshelf.com";

TEST(LyricsAddress, BlanksBecomeUnderscoresAndLettersLowerCase)
{
    struct Case {
        const char *Artist, *Album, *Title;
        std::string Path;
    } cases[] = {
        {"The Band", "Best Of", "My Song", "/lyrics/the_band/best_of/my_song"},
        {"ABBA", "Gold 1992", "S.O.S.", "/lyrics/abba/gold_1992/s.o.s."},
        {"Mot\xF6rhead", "Ace Of Spades", "(We Are) The Road Crew",
         "/lyrics/mot\xF6rhead/ace_of_spades/(we_are)_the_road_crew"},
        {"AC/DC", "Back In Black", "Hells Bells", "/lyrics/ac%2Fdc/back_in_black/hells_bells"},
        {"Who?", "#1 Hits", "100% Pure", "/lyrics/who%3F/%231_hits/100%25_pure"},
        {"A\\B", "x", "y", "/lyrics/a%5Cb/x/y"},
        {"Say \"Hi\"", "x\" --flag \"", "Tab\tCR\rDel\x7F", "/lyrics/say_%22hi%22/x%22_--flag_%22/tab%09cr%0Ddel%7F"},
    };
    for (const Case &c : cases) {
        Id3v1Tag tag = Tag(c.Artist, c.Album, c.Title);
        char address[SHARED_TEXT_SIZE];
        EXPECT_TRUE(MakeLyricsAddress(&tag, address, sizeof address)) << c.Artist;
        EXPECT_EQ(Base + c.Path, address);
    }
}

TEST(LyricsAddress, AnyEmptyTextGivesNothing)
{
    const Id3v1Tag tags[] = {Tag("", "Best Of", "My Song"), Tag("The Band", "", "My Song"),
                             Tag("The Band", "Best Of", "")};
    for (const Id3v1Tag &tag : tags) {
        char address[SHARED_TEXT_SIZE] = "left over";
        EXPECT_FALSE(MakeLyricsAddress(&tag, address, sizeof address));
        EXPECT_STREQ("", address);
    }
}

TEST(LyricsAddress, DotOnlyTextsNeverBecomePathSteps)
{
    /* Browsers resolve "." and ".." as steps even when percent-encoded: such an address is refused. */
    const Id3v1Tag refused[] = {Tag("..", "..", "admin"), Tag(".", "Best Of", "My Song"),
                                Tag("The Band", "..", "My Song"), Tag("The Band", "Best Of", ".")};
    for (const Id3v1Tag &tag : refused) {
        char address[SHARED_TEXT_SIZE] = "left over";
        EXPECT_FALSE(MakeLyricsAddress(&tag, address, sizeof address)) << tag.Artist << "/" << tag.Album;
        EXPECT_STREQ("", address);
    }
    Id3v1Tag tag = Tag("...", "Best Of", "....");
    char address[SHARED_TEXT_SIZE];
    ASSERT_TRUE(MakeLyricsAddress(&tag, address, sizeof address));
    EXPECT_EQ(Base + "/lyrics/%2E%2E%2E/best_of/%2E%2E%2E%2E", address);
}

TEST(LyricsAddress, DoubleByteCharactersOfTheCodePageStayWhole)
{
    struct Case {
        UINT CodePage;
        const char *Artist;
        std::string Path;
    } cases[] = {
        {932, "\x83\x5C\x83\x41", "/lyrics/\x83\x5C\x83\x41/x/y"},
        {932, "AB \x83\x5C \x83\x41Z", "/lyrics/ab_\x83\x5C_\x83\x41z/x/y"},
        /* A byte below 0x40 is no trail byte: the lead byte stands alone, the quote is encoded. */
        {932, "\x83\x41\x83\"\x83/", "/lyrics/\x83\x41\x83%22\x83%2F/x/y"},
        {1252, "\x83\x5C\x83\x41",
         "/lyrics/\x83%5C\x83"
         "a/x/y"},
    };
    for (const Case &c : cases) {
        Id3v1Tag tag = Tag(c.Artist, "X", "Y");
        char address[SHARED_TEXT_SIZE];
        EXPECT_TRUE(MakeLyricsAddressInCodePage(&tag, c.CodePage, address, sizeof address)) << c.Path;
        EXPECT_EQ(Base + c.Path, address);
    }
    /* Fourteen pairs, a letter and a lead byte fill the unterminated field: the lead byte ends the text. */
    Id3v1Tag tag = Tag("", "X", "Y");
    for (int i = 0; i < 14; i++)
        memcpy(tag.Artist + 2 * i, "\x83\x5C", 2);
    memcpy(tag.Artist + 28, "a\x83\x5C", 3);
    char address[SHARED_TEXT_SIZE];
    ASSERT_TRUE(MakeLyricsAddressInCodePage(&tag, 932, address, sizeof address));
    EXPECT_EQ(Base + "/lyrics/" + std::string(tag.Artist, 30) + "/x/y", address);
}

TEST(LyricsAddress, FullTextsOfSlashesStayInTheirSegmentsAndUnterminatedTextsStopAt30)
{
    Id3v1Tag tag = {};
    memset(tag.Artist, '/', sizeof tag.Artist); /* no terminator at all */
    memset(tag.Album, 'B', sizeof tag.Album);
    memset(tag.Title, '%', TAG_TEXT_SIZE - 1);
    char address[SHARED_TEXT_SIZE];
    ASSERT_TRUE(MakeLyricsAddress(&tag, address, sizeof address));
    std::string expected = Base + "/lyrics/";
    for (int i = 0; i < 30; i++)
        expected += "%2F";
    expected += "/" + std::string(30, 'b') + "/";
    for (int i = 0; i < 30; i++)
        expected += "%25";
    EXPECT_EQ(expected, address);

    char small[40];
    Id3v1Tag plain = Tag("The Band", "Best Of", "My Song");
    EXPECT_FALSE(MakeLyricsAddress(&plain, small, sizeof small)) << "an address that does not fit is refused";
    EXPECT_STREQ("", small);
}

} // namespace
