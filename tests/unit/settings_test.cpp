/*
 * The settings store against the system's real private-profile functions:
 * LoadSettings and SaveSettings with SettingsPath pointing at a file in a
 * fresh folder per test, and the font description parser on its own.
 *
 * Settings is one static record, so every test starts from the zero record
 * that the DLL has when it is loaded.
 */
#include "kestrune.h"

#include "tests/settings_files.h"

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace
{

/* ---- helpers -------------------------------------------------------------- */

std::string ReadBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteBytes(const std::string &path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

bool Exists(const std::string &path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string ExecutableFolder()
{
    char name[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, name, sizeof name);
    std::string path(name, length);
    return path.substr(0, path.rfind('\\') + 1);
}

/* Creates every missing folder of path (which ends in a backslash). */
void CreateFolders(const std::string &path)
{
    for (size_t slash = path.find('\\', 3); slash != std::string::npos; slash = path.find('\\', slash + 1))
        CreateDirectoryA(path.substr(0, slash).c_str(), NULL);
}

/* Deletes the plain files of a folder. */
void EmptyFolder(const std::string &folder)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            DeleteFileA((folder + found.cFileName).c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

/* Names of the plain files of a folder, each with its size. */
std::vector<std::string> ListFolder(const std::string &folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(std::string(found.cFileName) + " " + std::to_string(found.nFileSizeLow));
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

/* Occurrences of needle in text, letter case ignored. */
int CountIgnoringCase(const std::string &text, const std::string &needle)
{
    auto lower = [](std::string s) {
        for (char &c : s)
            c = (char)tolower((unsigned char)c);
        return s;
    };
    std::string haystack = lower(text), key = lower(needle);
    int count = 0;
    for (size_t at = haystack.find(key); at != std::string::npos; at = haystack.find(key, at + 1))
        ++count;
    return count;
}

/* plugin.ini with every key set: the section, then FullFileLines. */
const std::string FullFile = std::string(SettingsSection) + FullFileLines;

/* The 13 description fields of a font, in the order of the description. */
std::array<long, 13> DescriptionFields(const LOGFONTA &font)
{
    return {font.lfHeight,        font.lfWidth,     font.lfEscapement,    font.lfOrientation, font.lfWeight,
            font.lfItalic,        font.lfUnderline, font.lfStrikeOut,     font.lfCharSet,     font.lfOutPrecision,
            font.lfClipPrecision, font.lfQuality,   font.lfPitchAndFamily};
}

/* A font whose every field holds a value no case below parses into it. */
LOGFONTA MarkedFont()
{
    LOGFONTA font;
    ZeroMemory(&font, sizeof font);
    font.lfHeight = 1001;
    font.lfWidth = 1002;
    font.lfEscapement = 1003;
    font.lfOrientation = 1004;
    font.lfWeight = 1005;
    font.lfItalic = 206;
    font.lfUnderline = 207;
    font.lfStrikeOut = 208;
    font.lfCharSet = 209;
    font.lfOutPrecision = 210;
    font.lfClipPrecision = 211;
    font.lfQuality = 212;
    font.lfPitchAndFamily = 213;
    lstrcpyA(font.lfFaceName, "Marked");
    return font;
}

/* ---- the description parser ----------------------------------------------- */

struct ParseCase {
    const char *Name;
    std::string Text;
    /* The new values of the leading fields; the others keep their marks. */
    std::vector<long> Parsed;
};

const std::string Nines100(100, '9');

const ParseCase ParseCases[] = {
    {"thirteen numbers", "-19:0:0:0:700:0:0:0:0:3:2:1:34", {-19, 0, 0, 0, 700, 0, 0, 0, 0, 3, 2, 1, 34}},
    {"five numbers leave the byte fields", "1:2:3:4:5", {1, 2, 3, 4, 5}},
    {"blanks before numbers", " 1:\t2:  3:4:5:6:7:8:9:10:11:12: 13", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}},
    {"blank before a colon stops", "1 :2:3", {1}},
    {"blank after a sign stops", "- 1:2", {}},
    {"garbage start", "abc:1:2", {}},
    {"empty", "", {}},
    {"only blanks", "   \t", {}},
    {"leading colon", ":1:2", {}},
    {"sign without digits", "-:5", {}},
    {"signs", "+5:-6:+0:-0", {5, -6, 0, 0}},
    {"byte fields take the low 8 bits",
     "0:0:0:0:0:300:256:257:-1:-256:1000:65535:-2147483648",
     {0, 0, 0, 0, 0, 44, 0, 1, 255, 0, 232, 255, 0}},
    {"trailing garbage after the thirteenth",
     "1:2:3:4:5:6:7:8:9:10:11:12:13xyz",
     {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}},
    {"more than thirteen numbers", "1:2:3:4:5:6:7:8:9:10:11:12:13:14:15", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}},
    {"garbage after a number", "7:8x:9", {7, 8}},
    {"missing number between colons", "7:8::9", {7, 8}},
    {"trailing colon", "7:8:", {7, 8}},
    {"leading zeros are no overflow", "000000000000000000000000000042:0007", {42, 7}},
    /* Numbers too long for 32 bits wrap around modulo 2^32. */
    {"32-bit limits", "2147483647:-2147483648:4294967295", {2147483647, -2147483648L, -1}},
    {"overlong numbers wrap",
     "4294967296:4294967297:-2147483649:2147483648:99999999999",
     {0, 1, 2147483647, -2147483648L, 1215752191}},
    {"a hundred digits wrap", Nines100 + ":0:0:0:0:" + Nines100 + ":-" + Nines100, {-1, 0, 0, 0, 0, 255, 1}},
};

TEST(FontDescription, ParsesFieldByFieldUpToTheFirstMalformedPlace)
{
    for (const ParseCase &c : ParseCases) {
        SCOPED_TRACE(c.Name);
        LOGFONTA font = MarkedFont();
        ParseFontDescription(c.Text.c_str(), &font);
        std::array<long, 13> expected = DescriptionFields(MarkedFont());
        for (size_t i = 0; i < c.Parsed.size(); ++i)
            expected[i] = c.Parsed[i];
        EXPECT_EQ(DescriptionFields(font), expected);
        EXPECT_STREQ(font.lfFaceName, "Marked") << "the face name is not part of a description";
    }
}

TEST(FontDescription, ALongTextIsReadOnlyUpToItsThirteenthNumber)
{
    std::string text = "1:2:3:4:5:6:7:8:9:10:11:12:13";
    while (text.size() < 10000)
        text += ":255";
    LOGFONTA font = MarkedFont();
    ParseFontDescription(text.c_str(), &font);
    std::array<long, 13> expected = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};
    EXPECT_EQ(DescriptionFields(font), expected);
}

/* ---- load and save against plugin.ini ------------------------------------- */

class SettingsStore : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        const ::testing::TestInfo *test = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = ExecutableFolder() + "tmp\\settings\\" + test->name() + "\\";
        CreateFolders(folder_);
        EmptyFolder(folder_);
        ZeroMemory(&Settings, sizeof Settings);
        UsePath(Path("plugin.ini"));
    }
    void TearDown() override
    {
        ZeroMemory(&Settings, sizeof Settings);
        SettingsPath[0] = '\0';
    }

    std::string Path(const std::string &name) const { return folder_ + name; }
    std::string Ini() const { return SettingsPath; }
    void UsePath(const std::string &path)
    {
        ASSERT_LT(path.size(), sizeof SettingsPath);
        lstrcpyA(SettingsPath, path.c_str());
    }
    /* Writes plugin.ini: the section header followed by lines. */
    void WriteIni(const std::string &lines) { WriteBytes(Ini(), SettingsSection + lines); }
    /* Whether plugin.ini holds text (give the line ends around a line); the whole file is shown when not. */
    ::testing::AssertionResult IniHolds(const std::string &text) const
    {
        std::string saved = ReadBytes(Ini());
        if (saved.find(text) != std::string::npos)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "plugin.ini does not hold the text; it is:\n" << saved;
    }

    std::string folder_;
};

/* The switches with their defaults, as read after a first start. */
void ExpectFirstStartDefaults()
{
    EXPECT_EQ(Settings.UseSignature, 1);
    EXPECT_EQ(Settings.RecordSignatureFileName, 1);
    EXPECT_EQ(Settings.RecordSignatureTitle, 1);
    EXPECT_EQ(Settings.UseLog, 1);
    EXPECT_EQ(Settings.RecordLogFileName, 1);
    EXPECT_EQ(Settings.RecordLogTitle, 1);
    EXPECT_EQ(Settings.UseM3U, 1);
    EXPECT_EQ(Settings.AlwaysConfigureOnLaunch, 1);
    EXPECT_EQ(Settings.UseNowPlaying, 1);
    EXPECT_EQ(Settings.AutoClipboardCopyFileName, 0);
    EXPECT_EQ(Settings.AutoClipboardCopyTitle, 0);
    EXPECT_EQ(Settings.Zelt_Mode, 0);
    EXPECT_EQ(Settings.UseUTF8, 0);
    EXPECT_STREQ(Settings.StreamTextFileName, "");
    EXPECT_STREQ(Settings.StreamTemplate, "[%artist% - ]%title%");
    EXPECT_STREQ(Settings.StreamPausedTemplate, "[%artist% - ]%title% (paused)");
    EXPECT_STREQ(Settings.StreamStoppedText, "");
    EXPECT_STREQ(Settings.StreamCoverFileName, "");
    EXPECT_EQ(Settings.StreamCoverSize, 500);
    EXPECT_STREQ(Settings.SignatureFileName, "");
    EXPECT_STREQ(Settings.LogFileName, "");
    EXPECT_STREQ(Settings.M3UFileName, "");
    EXPECT_STREQ(Settings.SnapShotDirectory, "");
    EXPECT_STREQ(Settings.FavoritesDirectory, "");
    EXPECT_EQ(Settings.MarqueeBackground, 0u);
    const MarqueeLineStyle *styles[] = {&Settings.Title, &Settings.Artist, &Settings.Album, &Settings.Time};
    LOGFONTA zero;
    ZeroMemory(&zero, sizeof zero);
    for (const MarqueeLineStyle *style : styles) {
        EXPECT_EQ(memcmp(&style->Font, &zero, sizeof zero), 0);
        EXPECT_EQ(style->Foreground, 0u);
        EXPECT_EQ(style->Display, 0);
    }
}

TEST_F(SettingsStore, FirstStartWithoutAFileTakesTheDefaultsAndSavesEveryKeyButThePaths)
{
    LoadSettings();
    ExpectFirstStartDefaults();
    EXPECT_FALSE(Exists(Ini())) << "loading creates no file";

    SaveSettings();
    EXPECT_EQ(ReadBytes(Ini()), FirstStartFile);
}

TEST_F(SettingsStore, EmptySettingsPathLoadsTheFirstStartDefaults)
{
    LoadSettings();
    SettingsRecord missingFile = Settings;

    ZeroMemory(&Settings, sizeof Settings);
    SettingsPath[0] = '\0';
    LoadSettings();
    ExpectFirstStartDefaults();
    EXPECT_EQ(memcmp(&Settings, &missingFile, sizeof Settings), 0);
}

TEST_F(SettingsStore, EmptySettingsPathWritesNothing)
{
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    std::string windowsFolder = std::string(windows) + "\\";
    std::vector<std::string> windowsBefore = ListFolder(windowsFolder);
    std::string winIni = ReadBytes(windowsFolder + "win.ini");

    LoadSettings();
    lstrcpyA(Settings.SignatureFileName, "C:\\Mail\\signature.txt");
    SettingsPath[0] = '\0';
    SaveSettings();

    EXPECT_TRUE(ListFolder(folder_).empty());
    EXPECT_EQ(ListFolder(windowsFolder), windowsBefore);
    EXPECT_EQ(ReadBytes(windowsFolder + "win.ini"), winIni);
}

TEST_F(SettingsStore, EveryKeySetIsLoaded)
{
    WriteBytes(Ini(), FullFile);
    LoadSettings();

    EXPECT_STREQ(Settings.SignatureFileName, "C:\\Mail\\signature.txt");
    EXPECT_STREQ(Settings.LogFileName, "C:\\Logs\\played.log");
    EXPECT_STREQ(Settings.M3UFileName, "C:\\Music\\master.m3u");
    EXPECT_STREQ(Settings.FavoritesDirectory, "D:\\Favourite Songs");
    EXPECT_STREQ(Settings.SnapShotDirectory, "C:\\Music\\Snapshots");
    int offByDefault[] = {Settings.UseSignature, Settings.RecordSignatureFileName, Settings.RecordSignatureTitle,
                          Settings.UseLog,       Settings.RecordLogFileName,       Settings.RecordLogTitle,
                          Settings.UseM3U,       Settings.AlwaysConfigureOnLaunch, Settings.UseNowPlaying};
    for (int value : offByDefault)
        EXPECT_EQ(value, 0);
    EXPECT_EQ(Settings.AutoClipboardCopyFileName, 1);
    EXPECT_EQ(Settings.AutoClipboardCopyTitle, 1);
    EXPECT_EQ(Settings.UseUTF8, 1);
    EXPECT_STREQ(Settings.StreamTextFileName, "C:\\Stream\\now.txt");
    EXPECT_STREQ(Settings.StreamTemplate, "%title% by %artist%");
    EXPECT_STREQ(Settings.StreamPausedTemplate, "") << "a key present but empty stays empty";
    EXPECT_STREQ(Settings.StreamStoppedText, " Off air ") << "quotes keep the blanks";
    EXPECT_STREQ(Settings.StreamCoverFileName, "C:\\Stream\\cover.png");
    EXPECT_EQ(Settings.StreamCoverSize, 300);
    EXPECT_EQ(Settings.Zelt_Mode, 1);
    EXPECT_EQ(Settings.MarqueeBackground, 0x00FF00FFu);

    struct LineCase {
        const char *Name;
        const MarqueeLineStyle *Style;
        COLORREF Foreground;
        std::array<long, 13> Description;
        const char *FaceName;
    } lines[] = {
        {"Title", &Settings.Title, 255, {-19, 0, 0, 0, 700, 0, 0, 0, 0, 3, 2, 1, 34}, "Arial"},
        {"Artist", &Settings.Artist, 65280, {-16, 7, 900, 900, 400, 1, 1, 1, 2, 4, 5, 6, 49}, "Times New Roman"},
        {"Album",
         &Settings.Album,
         0xFFFFFFFFu,
         {12, -3, -900, 0, 1000, 255, 0, 255, 255, 255, 255, 255, 255},
         "Courier New"},
        {"Time",
         &Settings.Time,
         8421504,
         {2147483647, -2147483648L, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
         "DejaVu Sans Mono"},
    };
    for (const LineCase &line : lines) {
        SCOPED_TRACE(line.Name);
        EXPECT_EQ(line.Style->Foreground, line.Foreground);
        EXPECT_EQ(DescriptionFields(line.Style->Font), line.Description);
        EXPECT_STREQ(line.Style->Font.lfFaceName, line.FaceName);
        EXPECT_EQ(line.Style->Display, 1);
    }
}

TEST_F(SettingsStore, EveryKeySetSurvivesLoadAndSaveUnchanged)
{
    WriteBytes(Ini(), FullFile);
    LoadSettings();
    SaveSettings();
    EXPECT_EQ(ReadBytes(Ini()), FullFile);

    /* Saved into a new file, the same record gives the same text: same keys, order and values. */
    UsePath(Path("new.ini"));
    SaveSettings();
    EXPECT_EQ(ReadBytes(Ini()), FullFile);
}

TEST_F(SettingsStore, MissingKeysKeepTheCurrentColoursDisplaysAndFonts)
{
    WriteIni("UseLog=0\r\n");
    Settings.Title.Display = 1;
    Settings.Title.Foreground = 0x123456;
    Settings.Title.Font.lfHeight = -20;
    Settings.Title.Font.lfCharSet = 2;
    lstrcpyA(Settings.Title.Font.lfFaceName, "Arial");
    Settings.MarqueeBackground = 0x654321;
    lstrcpyA(Settings.LogFileName, "C:\\old.log");

    LoadSettings();

    EXPECT_EQ(Settings.UseLog, 0);
    EXPECT_EQ(Settings.Title.Display, 1);
    EXPECT_EQ(Settings.Title.Foreground, 0x123456u);
    EXPECT_EQ(Settings.Title.Font.lfHeight, -20);
    EXPECT_EQ(Settings.Title.Font.lfCharSet, 2);
    EXPECT_EQ(Settings.MarqueeBackground, 0x654321u);
    EXPECT_STREQ(Settings.Title.Font.lfFaceName, "") << "a missing face name reads as empty";
    EXPECT_STREQ(Settings.LogFileName, "") << "a missing path reads as empty";
}

TEST_F(SettingsStore, UpperCaseTimeDescriptionStaysOneEntry)
{
    WriteIni("FONT_TIME_Description=-11:0:0:0:400:0:0:0:0:0:0:0:0\r\n");
    LoadSettings();
    EXPECT_EQ(Settings.Time.Font.lfHeight, -11);
    EXPECT_EQ(Settings.Time.Font.lfWeight, 400);

    Settings.Time.Font.lfWeight = 700;
    SaveSettings();
    std::string saved = ReadBytes(Ini());
    EXPECT_EQ(CountIgnoringCase(saved, "Font_Time_Description="), 1) << saved;
    EXPECT_TRUE(IniHolds("[Vellacord_Tovk]\r\nFONT_TIME_Description=-11:0:0:0:700:0:0:0:0:0:0:0:0\r\n"));
}

TEST_F(SettingsStore, FiveNumberDescriptionLeavesTheByteFields)
{
    WriteIni("Font_Artist_Description=-13:6:450:-450:800\r\n");
    Settings.Artist.Font.lfItalic = 1;
    Settings.Artist.Font.lfPitchAndFamily = 34;
    LoadSettings();
    std::array<long, 13> expected = {-13, 6, 450, -450, 800, 1, 0, 0, 0, 0, 0, 0, 34};
    EXPECT_EQ(DescriptionFields(Settings.Artist.Font), expected);

    SaveSettings();
    EXPECT_TRUE(IniHolds("\r\nFont_Artist_Description=-13:6:450:-450:800:1:0:0:0:0:0:0:34\r\n"));
}

TEST_F(SettingsStore, ByteFieldOf300IsLoadedAndSavedAs44)
{
    WriteIni("Font_Album_Description=-12:0:0:0:400:0:0:0:300:0:0:0:0\r\n");
    LoadSettings();
    EXPECT_EQ(Settings.Album.Font.lfCharSet, 44);

    SaveSettings();
    EXPECT_TRUE(IniHolds("\r\nFont_Album_Description=-12:0:0:0:400:0:0:0:44:0:0:0:0\r\n"));
}

TEST_F(SettingsStore, DescriptionsThatDoNotStartWithANumberChangeNothing)
{
    WriteIni("Font_Title_Description=bold\r\nFont_Artist_Description=\r\n");
    Settings.Title.Font.lfHeight = -15;
    Settings.Artist.Font.lfWeight = 700;
    LoadSettings();
    EXPECT_EQ(Settings.Title.Font.lfHeight, -15);
    EXPECT_EQ(Settings.Artist.Font.lfWeight, 700);
}

/* A switch or colour is on/that number when its value starts with one, else 0. */
struct NumberCase {
    const char *Key;
    const char *Value;
    unsigned (*Field)(void);
    unsigned Loaded;
    const char *Saved;
};

unsigned UseM3UField(void) { return (unsigned)Settings.UseM3U; }
unsigned ZeltModeField(void) { return (unsigned)Settings.Zelt_Mode; }
unsigned BackgroundField(void) { return Settings.MarqueeBackground; }
unsigned TitleDisplayField(void) { return (unsigned)Settings.Title.Display; }

const NumberCase NumberCases[] = {
    {"UseM3U", "2", UseM3UField, 2, "1"},
    {"UseM3U", "-5", UseM3UField, (unsigned)-5, "1"},
    {"UseM3U", "12abc", UseM3UField, 12, "1"},
    {"UseM3U", "abc", UseM3UField, 0, "0"},
    {"Zelt_Mode", "2", ZeltModeField, 2, "1"},
    {"FONT_Title_Display", "7", TitleDisplayField, 7, "1"},
    {"MarqueeBackground", "4294967295", BackgroundField, 0xFFFFFFFFu, "4294967295"},
    {"MarqueeBackground", "-1", BackgroundField, 0xFFFFFFFFu, "4294967295"},
    {"MarqueeBackground", "12345abc", BackgroundField, 12345, "12345"},
    {"MarqueeBackground", "black", BackgroundField, 0, "0"},
};

TEST_F(SettingsStore, SwitchesAndColoursAreSavedNormalised)
{
    int index = 0;
    for (const NumberCase &c : NumberCases) {
        SCOPED_TRACE(std::string(c.Key) + "=" + c.Value);
        /* A new file per case: the system may keep a profile it has just read. */
        UsePath(Path("number" + std::to_string(index++) + ".ini"));
        ZeroMemory(&Settings, sizeof Settings);
        WriteIni(std::string(c.Key) + "=" + c.Value + "\r\n");
        LoadSettings();
        EXPECT_EQ(c.Field(), c.Loaded);

        SaveSettings();
        std::string line = std::string(SettingsSection) + c.Key + "=" + c.Saved + "\r\n";
        EXPECT_EQ(ReadBytes(Ini()).compare(0, line.size(), line), 0) << ReadBytes(Ini());
    }
}

TEST_F(SettingsStore, PathsAreCutToTheirFieldsButFavoritesHold1039Characters)
{
    std::string favorites = "C:\\" + std::string(997, 'f');
    WriteIni("SignatureFileName=C:\\" + std::string(297, 's') + "\r\n" + "LogFileName=C:\\" + std::string(297, 'l') +
             "\r\n" + "M3UFileName=C:\\" + std::string(297, 'm') + "\r\n" + "SnapShotDirectory=C:\\" +
             std::string(297, 'd') + "\r\n" + "FavoritesDirectory=" + favorites + "\r\n");
    LoadSettings();
    ASSERT_EQ(favorites.size(), 1000u);
    EXPECT_EQ(std::string(Settings.FavoritesDirectory), favorites);
    EXPECT_EQ(std::string(Settings.SignatureFileName), "C:\\" + std::string(256, 's'));
    EXPECT_EQ(std::string(Settings.LogFileName), "C:\\" + std::string(256, 'l'));
    EXPECT_EQ(std::string(Settings.M3UFileName), "C:\\" + std::string(256, 'm'));
    EXPECT_EQ(std::string(Settings.SnapShotDirectory), "C:\\" + std::string(256, 'd'));

    UsePath(Path("longer.ini"));
    ZeroMemory(&Settings, sizeof Settings);
    WriteIni("FavoritesDirectory=C:\\" + std::string(1097, 'f') + "\r\n");
    LoadSettings();
    EXPECT_EQ(std::string(Settings.FavoritesDirectory), "C:\\" + std::string(1036, 'f'));
}

TEST_F(SettingsStore, FaceNamesAreCutTo31Characters)
{
    const std::string face40 = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmn";
    WriteIni("FONT_Title_FaceName=" + face40 + "\r\nFONT_Artist_FaceName=" + face40 +
             "\r\nFONT_Album_FaceName=" + face40 + "\r\nFONT_Time_FaceName=" + face40 + "\r\n");
    LoadSettings();
    const std::string face31 = face40.substr(0, 31);
    EXPECT_EQ(std::string(Settings.Title.Font.lfFaceName), face31);
    EXPECT_EQ(std::string(Settings.Artist.Font.lfFaceName), face31);
    EXPECT_EQ(std::string(Settings.Album.Font.lfFaceName), face31);
    EXPECT_EQ(std::string(Settings.Time.Font.lfFaceName), face31);
}

TEST_F(SettingsStore, UnterminatedFaceNameIsSavedAsItsFirst31Characters)
{
    /* A font picker fills the face name in place; save never reads past its 32 bytes. */
    memset(Settings.Artist.Font.lfFaceName, 'F', sizeof Settings.Artist.Font.lfFaceName);
    Settings.Artist.Display = 1;
    SaveSettings();
    EXPECT_TRUE(IniHolds("\r\nFONT_Artist_FaceName=" + std::string(31, 'F') + "\r\nFONT_Artist_Display=1\r\n"));
}

TEST_F(SettingsStore, EmptiedPathIsNotWrittenSoTheOldValueComesBack)
{
    WriteIni("LogFileName=C:\\Logs\\old.log\r\nSnapShotDirectory=C:\\Snaps\r\n");
    LoadSettings();
    ASSERT_STREQ(Settings.LogFileName, "C:\\Logs\\old.log");
    Settings.LogFileName[0] = '\0';
    lstrcpyA(Settings.SnapShotDirectory, "C:\\New Snaps");
    SaveSettings();

    std::string saved = ReadBytes(Ini());
    EXPECT_TRUE(IniHolds("\r\nLogFileName=C:\\Logs\\old.log\r\n"));
    EXPECT_EQ(CountIgnoringCase(saved, "\nLogFileName="), 1) << saved;
    EXPECT_TRUE(IniHolds("\r\nSnapShotDirectory=C:\\New Snaps\r\n"));

    ZeroMemory(&Settings, sizeof Settings);
    LoadSettings();
    EXPECT_STREQ(Settings.LogFileName, "C:\\Logs\\old.log");
}

TEST_F(SettingsStore, SaveKeepsOtherKeysAndSections)
{
    WriteBytes(Ini(), "[Other]\r\nA=1\r\n[Vellacord_Tovk]\r\nUnknownKey=keep me\r\nUseLog=0\r\n");
    LoadSettings();
    SaveSettings();
    std::string saved = ReadBytes(Ini());
    const std::string kept = "[Other]\r\nA=1\r\n[Vellacord_Tovk]\r\nUnknownKey=keep me\r\n";
    EXPECT_EQ(saved.compare(0, kept.size(), kept), 0) << saved;
    EXPECT_TRUE(IniHolds("\r\nUseLog=0\r\n"));
    EXPECT_EQ(CountIgnoringCase(saved, "\nUseLog="), 1) << saved;
}

} // namespace
