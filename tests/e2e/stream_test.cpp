/*
 * The stream outputs in the stand-in player: the text from the templates
 * through the player's states and quit, in UTF-8, replaced in one step
 * while readers hold it; the cover from each of its sources, compared as
 * decoded pixels; the Stream Outputs window.
 */
#include "tests/dialog_tests.h"

#include <string>
#include <vector>

namespace
{

const char QuietStart[] = "AlwaysConfigureOnLaunch=0\r\nUseNowPlaying=0\r\n";
const char StreamCaption[] = "Stream Outputs";

using rig::Utf8;
using rig::Wide;

/* An image whose left half is left and right half right (0xAARRGGBB). */
std::string Halves(rig::ImageFormat format, UINT width, UINT height, DWORD left, DWORD right)
{
    std::vector<DWORD> pixels((size_t)width * height);
    for (UINT y = 0; y < height; ++y)
        for (UINT x = 0; x < width; ++x)
            pixels[(size_t)y * width + x] = x < width / 2 ? left : right;
    return rig::EncodeImage(format, width, height, pixels);
}

/* Colours within a JPEG's tolerance. */
bool Near(DWORD colour, DWORD expected)
{
    for (int shift = 0; shift < 32; shift += 8) {
        int a = (int)(colour >> shift & 0xFF), b = (int)(expected >> shift & 0xFF);
        if (a - b > 24 || b - a > 24)
            return false;
    }
    return true;
}

/* ---- track files with pictures ---- */

std::string BigEndian(size_t value, int bytes)
{
    std::string out;
    for (int i = bytes - 1; i >= 0; --i)
        out += (char)(value >> (8 * i) & 0xFF);
    return out;
}

std::string Synchsafe(size_t value)
{
    return {(char)(value >> 21 & 0x7F), (char)(value >> 14 & 0x7F), (char)(value >> 7 & 0x7F), (char)(value & 0x7F)};
}

/* An MP3 with an ID3v2.3 tag of one APIC frame (a back cover, then the front cover) and no ID3v1 tag. */
std::string Mp3WithPictures(const std::string &back, const std::string &front)
{
    auto frame = [](char type, const std::string &picture) {
        std::string body = std::string("\0image/png\0", 11) + type + std::string("\0", 1) + picture;
        return "APIC" + BigEndian(body.size(), 4) + std::string(2, '\0') + body;
    };
    std::string frames = frame(4, back) + frame(3, front);
    return "ID3" + std::string("\x03\x00\x00", 3) + Synchsafe(frames.size()) + frames + std::string(600, '\x55');
}

/* A FLAC stream's start: STREAMINFO, then one PICTURE block (front cover, JPEG). */
std::string FlacWithPicture(const std::string &picture)
{
    std::string body = BigEndian(3, 4) + BigEndian(10, 4) + "image/jpeg" + BigEndian(0, 4) + std::string(16, '\0') +
                       BigEndian(picture.size(), 4) + picture;
    return "fLaC" + std::string("\x00", 1) + BigEndian(34, 3) + std::string(34, '\0') + "\x86" +
           BigEndian(body.size(), 3) + body + std::string(300, '\x55');
}

class StreamTest : public DialogTest
{
  protected:
    std::string TextFile() const { return Path("now playing.txt"); }
    std::string CoverFile() const { return Path("cover out.png"); }
    void Start(const std::string &settings)
    {
        Player().Version = 0x5666;
        WriteSettings(QuietStart + settings);
        ASSERT_EQ(0, StartPlugin());
    }
    void Play(const std::vector<PlayerEntry> &entries, int position = 0)
    {
        Player().Playlist = entries;
        Player().Position = position;
        Player().Status = 1;
        rig::Tick();
    }
    PlayerEntry Entry(const std::wstring &file, const std::wstring &title, int seconds = 200)
    {
        PlayerEntry entry;
        entry.WideFile = file;
        entry.WideTitle = title;
        entry.LengthSeconds = seconds;
        return entry;
    }
    std::wstring WideFolder() const { return Wide(Folder()); }
};

const std::wstring Japanese = L"\x591C\x660E\x3051\x306E\x6B4C";

/*
 * The text through a track's life: each step's file bytes, in UTF-8
 * without a byte-order mark.  A state that has not changed writes nothing
 * (the file deleted in between stays away), and quit writes the stopped
 * text.  No temporary file is left.
 */
TEST_F(StreamTest, TextFollowsTheTrackThePlayersStateAndQuit)
{
    Start("StreamTextFileName=" + TextFile() + "\r\nStreamStoppedText=Off air\r\n");
    std::wstring one = WideFolder() + L"one.flac", two = WideFolder() + L"two.ogg";
    Player().Metadata[one] = {{L"artist", L"Band"}, {L"title", Japanese}};
    Play({Entry(one, L"One"), Entry(two, L"Two (player's title)")});

    struct Step {
        const char *Name;
        int Status, Position;
        bool DeleteFirst;
        std::wstring Expected;
    } steps[] = {
        {"paused", 3, 0, false, L"Band - " + Japanese + L" (paused)"},
        {"resumed", 1, 0, false, L"Band - " + Japanese},
        {"next track, no artist", 1, 1, false, L"Two (player's title)"},
        {"stopped", 0, 1, false, L"Off air"},
        {"no change, no write", 0, 1, true, L"<none>"},
        {"played again", 1, 1, false, L"Two (player's title)"},
    };
    EXPECT_EQ(Utf8(L"Band - " + Japanese), rig::ReadFile(TextFile())) << "at the change";
    for (const Step &step : steps) {
        if (step.DeleteFirst)
            DeleteFileA(TextFile().c_str());
        Player().Status = step.Status;
        Player().Position = step.Position;
        rig::Tick();
        std::string expected = step.Expected == L"<none>" ? "" : Utf8(step.Expected);
        EXPECT_EQ(expected, rig::ReadFile(TextFile())) << step.Name;
    }
    Player().Status = 1;
    StopPlugin();
    EXPECT_EQ("Off air", rig::ReadFile(TextFile())) << "quit";
    EXPECT_FALSE(rig::FileExists(TextFile() + ".tmp"));
}

/* Every field, from the player's metadata; and from an ID3v1 tag with an old player. */
TEST_F(StreamTest, FieldsFromThePlayerAndFromTheTag)
{
    const std::string all = "%artist%|%title%|%album%|%albumartist%|%year%|%track%|%genre%|%comment%|%filename%|"
                            "%path%|%length%|%position%|%%|%other%";
    Start("StreamTextFileName=" + TextFile() + "\r\nStreamTemplate=" + all + "\r\n");
    std::wstring file = WideFolder() + L"t.flac";
    Player().Metadata[file] = {{L"artist", L"A"},  {L"title", L"T"}, {L"album", L"B"}, {L"albumartist", L"AA"},
                               {L"year", L"1999"}, {L"track", L"7"}, {L"genre", L"G"}, {L"comment", L"C"}};
    Player().LengthSeconds = 3725;
    Play({Entry(L"x", L"x"), Entry(file, L"Title")}, 1);
    EXPECT_EQ(Utf8(L"A|T|B|AA|1999|7|G|C|t.flac|" + file + L"|1:02:05|2|%|%other%"), rig::ReadFile(TextFile()));
    StopPlugin();

    Player().Version = 0;
    WriteSettings(QuietStart + ("StreamTextFileName=" + TextFile() + "\r\nStreamTemplate=" + all + "\r\n"));
    ASSERT_EQ(0, StartPlugin());
    rig::WriteFile(Path("old.mp3"), rig::Mp3WithTag("Tag Title", "Tag Artist", "Tag Album", "Tag Note"));
    PlayerEntry entry;
    entry.File = Path("old.mp3");
    entry.Title = "Player Title";
    Player().LengthSeconds = 65;
    Play({entry});
    EXPECT_EQ("Tag Artist|Tag Title|Tag Album||2005|||Tag Note|old.mp3|" + Path("old.mp3") + "|1:05|1|%|%other%",
              rig::ReadFile(TextFile()));
}

/*
 * Whether this system replaces a file that a reader holds open while
 * sharing its deletion, as Windows does; Wine refuses any open file.
 */
bool ReplacesHeldFiles(const std::string &folder)
{
    std::string held = folder + "held.txt", fresh = folder + "fresh.txt";
    rig::WriteFile(held, "old");
    rig::WriteFile(fresh, "new");
    HANDLE reader = CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                NULL, OPEN_EXISTING, 0, NULL);
    bool replaced = MoveFileExA(fresh.c_str(), held.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
    CloseHandle(reader);
    return replaced;
}

/*
 * A reader that shares deletion does not stop the replacement (where the
 * system allows it); one that does not share it keeps the old text in
 * place, never written into, until the tick after it lets go.
 */
TEST_F(StreamTest, ReplacedWhileReadersHoldTheFile)
{
    bool replacesHeld = ReplacesHeldFiles(Folder());
    Start("StreamTextFileName=" + TextFile() + "\r\nStreamTemplate=%title%\r\n");
    Play({Entry(WideFolder() + L"a.mp3", L"First"), Entry(WideFolder() + L"b.mp3", L"Second"),
          Entry(WideFolder() + L"c.mp3", L"Third")});
    struct Case {
        const char *Name;
        DWORD Share;
        int Position;
        const char *Before, *After;
        bool AtOnce;
    } cases[] = {
        {"shares deletion", FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 1, "First", "Second", replacesHeld},
        {"refuses deletion", FILE_SHARE_READ | FILE_SHARE_WRITE, 2, "Second", "Third", false},
    };
    for (const Case &c : cases) {
        HANDLE reader = CreateFileA(TextFile().c_str(), GENERIC_READ, c.Share, NULL, OPEN_EXISTING, 0, NULL);
        ASSERT_NE(INVALID_HANDLE_VALUE, reader) << c.Name;
        Player().Position = c.Position;
        rig::Tick();
        rig::Tick();
        EXPECT_EQ(c.AtOnce ? c.After : c.Before, rig::ReadFile(TextFile())) << c.Name;
        CloseHandle(reader);
        rig::Tick();
        EXPECT_EQ(c.After, rig::ReadFile(TextFile())) << c.Name;
        EXPECT_FALSE(rig::FileExists(TextFile() + ".tmp")) << c.Name;
    }
}

/*
 * The cover from each source, first found: the file's APIC front cover, a
 * FLAC PICTURE block, a folder image (any case), else the transparent
 * pixel.  Scaled to at most the size on the longer side, never enlarged.
 */
TEST_F(StreamTest, CoverFromEachSource)
{
    std::string failure = rig::ImagingFailure();
    if (!failure.empty())
        GTEST_SKIP() << failure;
    const DWORD red = 0xFFFF0000, blue = 0xFF0000FF, green = 0xFF00FF00, white = 0xFFFFFFFF;
    std::string folder = Path("album\\");
    rig::MakeFolders(folder);
    rig::WriteFile(Path("front.mp3"), Mp3WithPictures(Halves(rig::IMAGE_PNG, 10, 10, white, white),
                                                      Halves(rig::IMAGE_PNG, 800, 400, red, blue)));
    rig::WriteFile(Path("song.flac"), FlacWithPicture(Halves(rig::IMAGE_JPEG, 300, 600, green, blue)));
    rig::WriteFile(folder + "song.ogg", "OggS");
    rig::WriteFile(folder + "Folder.JPG", Halves(rig::IMAGE_JPEG, 200, 100, red, green));
    rig::WriteFile(Path("bare.mp3"), std::string(500, '\x55'));
    Start("StreamCoverFileName=" + CoverFile() + "\r\nStreamCoverSize=500\r\n");

    struct Case {
        const char *Name;
        std::string File;
        UINT Width, Height;
        DWORD Left, Right;
    } cases[] = {
        {"APIC front cover", Path("front.mp3"), 500, 250, red, blue},
        {"FLAC picture", Path("song.flac"), 250, 500, green, blue},
        {"folder image", folder + "song.ogg", 200, 100, red, green},
        {"none: transparent", Path("bare.mp3"), 1, 1, 0, 0},
    };
    std::vector<PlayerEntry> entries;
    for (const Case &c : cases)
        entries.push_back(Entry(Wide(c.File), L"t"));
    Play(entries);
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case &c = cases[i];
        Player().Position = (int)i;
        rig::Tick();
        rig::Pixels cover = rig::DecodeImage(CoverFile());
        EXPECT_EQ(c.Width, cover.Width) << c.Name;
        EXPECT_EQ(c.Height, cover.Height) << c.Name;
        if (cover.Width != c.Width || cover.Height != c.Height)
            continue;
        EXPECT_TRUE(Near(cover.At(c.Width / 8, c.Height / 2), c.Left)) << c.Name << std::hex << " " << cover.At(0, 0);
        EXPECT_TRUE(Near(cover.At(c.Width - 1 - c.Width / 8, c.Height / 2), c.Right)) << c.Name;
    }
    EXPECT_FALSE(rig::FileExists(CoverFile() + ".tmp"));
}

/*
 * The window: the settings in its controls and the preview of the typed
 * template, a cover file chosen with Save As; Cancel changes nothing, OK
 * takes the edits over, writes both files at once and the keys at quit.  A second request brings the open
 * window forward.
 */
TEST_F(StreamTest, WindowPreviewsCancelsAndTakesOver)
{
    SKIP_WITHOUT_TEXT_MEASURING();
    Start("");
    std::wstring file = WideFolder() + L"one.flac";
    Player().Metadata[file] = {{L"artist", L"Band"}, {L"title", L"Song"}};
    Play({Entry(file, L"One")});

    struct Case {
        int Button;
        std::string Expected;
    } cases[] = {{IDCANCEL, ""}, {IDOK, "Song!"}};
    for (const Case &c : cases) {
        std::vector<std::string> seen;
        int dialogs = 0;
        rig::OnDialog(StreamCaption, [&](HWND dialog, int call) {
            if (call > 0)
                return;
            for (int id : {IDC_STREAM_TEXT_EDIT, IDC_STREAM_TEMPLATE, IDC_STREAM_PAUSED, IDC_STREAM_STOPPED,
                           IDC_STREAM_COVER_EDIT, IDC_STREAM_COVER_SIZE, IDC_STREAM_PREVIEW})
                seen.push_back(ItemText(dialog, id));
            SetDlgItemTextA(dialog, IDC_STREAM_TEXT_EDIT, TextFile().c_str());
            SetDlgItemTextA(dialog, IDC_STREAM_TEMPLATE, "%title%!");
            seen.push_back(ItemText(dialog, IDC_STREAM_PREVIEW));
            rig::OnDialog(SaveAsCaption, [this](HWND picker, int) { SaveAs(picker, CoverFile()); });
            Click(dialog, IDC_STREAM_COVER_BUTTON);
            seen.push_back(ItemText(dialog, IDC_STREAM_COVER_EDIT));
            Command(ID_STREAM_OUTPUTS);
            dialogs = 0;
            for (HWND window = NULL; (window = FindWindowExA(NULL, window, "#32770", StreamCaption));)
                dialogs += IsWindowVisible(window) ? 1 : 0;
            Press(dialog, c.Button);
        });
        Command(ID_STREAM_OUTPUTS);
        EXPECT_EQ(std::vector<std::string>({"", "[%artist% - ]%title%", "[%artist% - ]%title% (paused)", "", "", "500",
                                            "Band - Song", "Song!", CoverFile()}),
                  seen)
            << c.Button;
        EXPECT_EQ(1, dialogs) << "one window of its kind";
        EXPECT_EQ(c.Expected, rig::ReadFile(TextFile())) << c.Button;
        EXPECT_EQ(c.Button == IDOK, rig::FileExists(CoverFile())) << "the cover chosen by Save As, written at OK";
    }
    StopPlugin();
    EXPECT_EQ(TextFile(), Saved("StreamTextFileName"));
    EXPECT_EQ("%title%!", Saved("StreamTemplate"));
}

} // namespace
