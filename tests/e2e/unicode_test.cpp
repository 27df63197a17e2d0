/*
 * Every format, every name: the player's version decides which messages it
 * gets; a Unicode-capable player's wide names and metadata reach the
 * windows and, by choice, the files in UTF-8; an old player's bytes stay as
 * they were.  ctest runs these tests under the Western (1252) and the
 * Japanese (932) code page (tests/CMakeLists.txt), and each expectation of
 * the code page's bytes is the player's own conversion.
 */
#include "tests/dialog_tests.h"

#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

namespace
{

const char QuietStart[] = "AlwaysConfigureOnLaunch=0\r\nUseNowPlaying=0\r\n";
const unsigned UnicodePlayer = 0x5666, MetadataPlayer = 0x2900, OldPlayer = 0;

using rig::Utf8;
using rig::Wide;

void WriteWide(const std::wstring &path, const std::string &bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD written = 0;
    WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, NULL);
    CloseHandle(file);
}

/* Names in scripts outside the Western code page: Japanese and Cyrillic (932 holds both, 1252 neither). */
const std::wstring Japanese = L"\x591C\x660E\x3051\x306E\x6B4C";        /* yoake no uta */
const std::wstring Cyrillic = L"\x041F\x0435\x0441\x043D\x044F \x2116"; /* pesnya No */

/* What the windows were told: the marquee's rows as drawn, the Now Playing layout's fields. */
std::vector<std::wstring> MarqueeRows()
{
    std::vector<std::wstring> rows;
    for (const rig::DrawnText &drawn : rig::DrawnTexts())
        rows.push_back(drawn.Wide);
    return rows;
}

std::wstring Field(HWND dialog, int id)
{
    wchar_t text[1024] = L"";
    GetDlgItemTextW(dialog, id, text, 1024);
    return text;
}

class UnicodeTest : public PluginTest
{
  protected:
    /* One entry, the plug-in started for a player of this version, and the first tick taken. */
    void PlayOne(unsigned version, const PlayerEntry &entry, const std::string &settings = "")
    {
        Player().Version = version;
        WriteSettings(QuietStart + settings);
        ASSERT_EQ(0, StartPlugin());
        Player().Playlist = {entry};
        Player().Position = 0;
        Player().Requests.clear();
        rig::Tick();
    }
    PlayerEntry WideEntry(const std::wstring &file, const std::wstring &title)
    {
        PlayerEntry entry;
        entry.WideFile = file;
        entry.WideTitle = title;
        return entry;
    }
    std::wstring WideFolder() const { return Wide(Folder()); }
    std::vector<LPARAM> RequestCodes() const
    {
        std::vector<LPARAM> codes;
        for (const PlayerMessage &request : Player().Requests)
            codes.push_back(request.LParam);
        return codes;
    }
    void SetMetadata(const std::wstring &file, const std::wstring &title, const std::wstring &artist,
                     const std::wstring &album, const std::wstring &comment)
    {
        Player().Metadata[file] = {{L"title", title}, {L"artist", artist}, {L"album", album}, {L"comment", comment}};
    }
};

/* The run asked for a locale (LC_ALL, set by ctest) and Wine took its code page from it. */
TEST_F(UnicodeTest, CodePageIsTheOneTheRunAsksFor)
{
    const char *locale = getenv("LC_ALL");
    ASSERT_NE(locale, nullptr) << "ctest names the locale of each run";
    EXPECT_EQ(strncmp(locale, "ja_JP", 5) == 0 ? 932u : 1252u, GetACP()) << locale;
}

/*
 * What a track change of a file without an ID3v1 tag asks, by the player's
 * version: the old messages only; the ANSI metadata query from 0x2900; the
 * wide names and the wide metadata query (the ANSI one after each zero
 * answer) from 0x5000.  A stream is never asked about.  The version is
 * asked once, at init; the idle tick sends three queries whatever the
 * version.
 */
TEST_F(UnicodeTest, PlayerVersionDecidesTheMessages)
{
    struct Case {
        const char *Name;
        unsigned Version;
        bool Stream, Known;
        std::vector<LPARAM> Change;
    } cases[] = {
        {"old player",
         OldPlayer,
         false,
         true,
         {HOST_GET_LIST_POSITION, HOST_GET_LIST_LENGTH, HOST_GET_PLAYLIST_FILE, HOST_GET_PLAYLIST_TITLE,
          HOST_GET_OUTPUT_TIME}},
        {"ANSI metadata",
         MetadataPlayer,
         false,
         true,
         {HOST_GET_LIST_POSITION, HOST_GET_LIST_LENGTH, HOST_GET_PLAYLIST_FILE, HOST_GET_PLAYLIST_TITLE,
          HOST_GET_OUTPUT_TIME, HOST_GET_EXTENDED_FILE_INFO, HOST_GET_EXTENDED_FILE_INFO, HOST_GET_EXTENDED_FILE_INFO,
          HOST_GET_EXTENDED_FILE_INFO}},
        {"Unicode, metadata known",
         UnicodePlayer,
         false,
         true,
         {HOST_GET_LIST_POSITION, HOST_GET_LIST_LENGTH, HOST_GET_PLAYLIST_FILE_W, HOST_GET_PLAYLIST_TITLE_W,
          HOST_GET_OUTPUT_TIME, HOST_GET_EXTENDED_FILE_INFO_W, HOST_GET_EXTENDED_FILE_INFO_W,
          HOST_GET_EXTENDED_FILE_INFO_W, HOST_GET_EXTENDED_FILE_INFO_W}},
        {"Unicode, metadata unknown",
         UnicodePlayer,
         false,
         false,
         {HOST_GET_LIST_POSITION, HOST_GET_LIST_LENGTH, HOST_GET_PLAYLIST_FILE_W, HOST_GET_PLAYLIST_TITLE_W,
          HOST_GET_OUTPUT_TIME, HOST_GET_EXTENDED_FILE_INFO_W, HOST_GET_EXTENDED_FILE_INFO,
          HOST_GET_EXTENDED_FILE_INFO_W, HOST_GET_EXTENDED_FILE_INFO, HOST_GET_EXTENDED_FILE_INFO_W,
          HOST_GET_EXTENDED_FILE_INFO, HOST_GET_EXTENDED_FILE_INFO_W, HOST_GET_EXTENDED_FILE_INFO}},
        {"Unicode, stream",
         UnicodePlayer,
         true,
         true,
         {HOST_GET_LIST_POSITION, HOST_GET_LIST_LENGTH, HOST_GET_PLAYLIST_FILE_W, HOST_GET_PLAYLIST_TITLE_W,
          HOST_GET_OUTPUT_TIME}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        rig::Reset();
        std::wstring file = c.Stream ? L"http://radio.example/stream" : WideFolder() + L"track.flac";
        if (!c.Stream)
            WriteWide(file, "fLaC" + std::string(300, '\x01'));
        if (c.Known)
            SetMetadata(file, L"T", L"A", L"B", L"C");
        else
            Player().Metadata.clear();
        Player().Version = c.Version;
        WriteSettings(QuietStart);
        ASSERT_EQ(0, StartPlugin());
        std::vector<LPARAM> atInit = RequestCodes();
        EXPECT_EQ(1, std::count(atInit.begin(), atInit.end(), (LPARAM)HOST_GET_VERSION));
        PlayerEntry entry = WideEntry(file, L"Title");
        Player().Playlist = {entry};
        Player().Position = 0;
        Player().Requests.clear();
        rig::Tick();
        EXPECT_EQ(c.Change, RequestCodes());
        Player().Requests.clear();
        rig::Tick();
        EXPECT_EQ(3u, RequestCodes().size()) << "the idle tick";
        StopPlugin();
    }
}

/*
 * A file without an ID3v1 tag shows the artist, title and album the player
 * tells, in any script, in the marquee's rows.  Drawn texts are recorded
 * whether or not this system can draw.
 */
TEST_F(UnicodeTest, PlayersMetadataShowsInTheMarquee)
{
    std::wstring file = WideFolder() + Japanese + L".flac";
    WriteWide(file, "fLaC" + std::string(300, '\x01'));
    SetMetadata(file, Japanese, Cyrillic, L"Album \x00E9t\x00E9", L"c");
    PlayOne(UnicodePlayer, WideEntry(file, Japanese),
            "FONT_Title_Display=1\r\nFONT_Artist_Display=1\r\nFONT_Album_Display=1\r\n");
    Command(ID_MARQUEE);
    rig::DrawnTexts().clear();
    rig::Tick();
    UpdateWindow(FindWindowA("gen_Kestrune_MARQUEE", NULL));
    EXPECT_EQ((std::vector<std::wstring>{Japanese, Cyrillic, L"Album \x00E9t\x00E9"}), MarqueeRows());
}

/*
 * The Now Playing layout shows the names as the player gave them; the texts
 * come from the tag where the file has one, read through the file's wide
 * name whatever its script, else from the player.
 */
TEST_F(UnicodeTest, NowPlayingShowsNamesAndTextsAsThePlayerGaveThem)
{
    SKIP_WITHOUT_TEXT_MEASURING();
    struct Case {
        const char *Name;
        std::wstring File;
        bool Tagged;
    } cases[] = {{"Japanese name, tagged", Japanese + L".mp3", true},
                 {"Cyrillic name, tagged", Cyrillic + L".mp3", true},
                 {"metadata only", Japanese + L".flac", false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        rig::Reset();
        std::wstring file = WideFolder() + c.File;
        if (c.Tagged)
            WriteWide(file, rig::Mp3WithTag("Tag Title", "Tag Artist", "Tag Album", "Tag Comment"));
        else
            WriteWide(file, "fLaC" + std::string(300, '\x01'));
        SetMetadata(file, Japanese, Cyrillic, L"Player Album", L"Player Comment");
        PlayOne(UnicodePlayer, WideEntry(file, Cyrillic + L" - " + Japanese));
        Command(ID_NOW_PLAYING);
        HWND dialog = FindWindowA("#32770", "Now Playing");
        ASSERT_NE((HWND)NULL, dialog);
        EXPECT_EQ(file, Field(dialog, IDC_NP_FILE_NAME));
        EXPECT_EQ(Cyrillic + L" - " + Japanese, Field(dialog, IDC_NP_TITLE));
        EXPECT_EQ(c.Tagged ? L"Tag Title" : Japanese, Field(dialog, IDC_NP_TAG_TITLE));
        EXPECT_EQ(c.Tagged ? L"Tag Artist" : Cyrillic, Field(dialog, IDC_NP_TAG_ARTIST));
        EXPECT_EQ(c.Tagged ? L"Tag Album" : L"Player Album", Field(dialog, IDC_NP_TAG_ALBUM));
        EXPECT_EQ(c.Tagged ? L"Tag Comment" : L"Player Comment", Field(dialog, IDC_NP_TAG_COMMENT));
        StopPlugin();
    }
}

/*
 * The signature and the log in the code page (UseUTF8 off: the player's
 * ANSI bytes, "?" for what the code page lacks) or in UTF-8 without a
 * byte-order mark (on); a ".m3u8" master in UTF-8 whatever the switch, a
 * ".m3u" one in the code page.
 */
TEST_F(UnicodeTest, FilesInTheCodePageOrInUtf8)
{
    const std::wstring file = WideFolder() + Cyrillic + L" " + Japanese + L".mp3";
    const std::wstring title = Japanese + L" \x2013 " + Cyrillic;
    struct Case {
        int UseUtf8;
        const char *Master;
        bool MasterInUtf8;
    } cases[] = {{0, "master.m3u", false}, {1, "master.m3u", false}, {0, "master.M3U8", true}, {1, "list.m3u8", true}};
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.Master) + " UseUTF8=" + std::to_string(c.UseUtf8));
        rig::Reset();
        for (const char *name : {"sig.txt", "log.txt", c.Master})
            DeleteFileA(Path(name).c_str());
        rig::WriteFile(Path("sig.txt"), "");
        WriteWide(file, rig::Mp3WithTag("a", "b", "c", "d"));
        PlayOne(UnicodePlayer, WideEntry(file, title),
                "UseUTF8=" + std::to_string(c.UseUtf8) + "\r\nSignatureFileName=" + Path("sig.txt") +
                    "\r\nLogFileName=" + Path("log.txt") + "\r\nM3UFileName=" + Path(c.Master) + "\r\n");
        Command(ID_ADD_CURRENT_TRACK);
        auto inFile = [&](const std::wstring &text, bool utf8) { return utf8 ? Utf8(text) : PlayerAnsi(text); };
        const bool utf8 = c.UseUtf8 != 0;
        EXPECT_EQ("-- \r\n\r\nThe last song I started on my PC was: " + inFile(title, utf8) + "\r\n" +
                      inFile(file, utf8) + "\r\nThis is track 1 of 1 in the current playlist.\r\n",
                  rig::ReadFile(Path("sig.txt")));
        std::string log = rig::ReadFile(Path("log.txt"));
        std::string entry = inFile(title, utf8) + "\r\n" + inFile(file, utf8) + "\r\n\r\n";
        EXPECT_EQ(entry, log.substr(log.size() >= entry.size() ? log.size() - entry.size() : 0));
        EXPECT_EQ(inFile(file, c.MasterInUtf8) + "\r\n", rig::ReadFile(Path(c.Master)));
        StopPlugin();
    }
}

} // namespace
