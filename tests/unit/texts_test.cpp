/*
 * The track's texts between their forms, with the system's own code-page
 * tables: UTF-8 for the files, the code page for today's bytes, each cut at
 * a whole character where the buffer is short.
 */
#include <gtest/gtest.h>

#include "kestrune.h"

#include <string>

namespace
{

TEST(TrackTexts, Utf8IsWholeCharactersWithoutAByteOrderMark)
{
    struct Case {
        std::wstring Text;
        size_t Size;
        std::string Bytes;
    } cases[] = {
        {L"Plain", 16, "Plain"},
        {L"Caf\x00E9", 16, "Caf\xC3\xA9"},
        {L"\x591C\x660E\x3051", 16, "\xE5\xA4\x9C\xE6\x98\x8E\xE3\x81\x91"},
        {L"\xD83D\xDE00", 16, "\xF0\x9F\x98\x80"}, /* a pair: one character */
        {L"a\xD83D"
         L"b\xDE00",
         16,
         "a\xEF\xBF\xBD"
         "b\xEF\xBF\xBD"},    /* lone halves */
        {L"a\x00E9", 3, "a"}, /* no room for the whole second character */
        {L"\x591C\x660E", 6, "\xE5\xA4\x9C"},
        {L"\x591C\x660E", 7, "\xE5\xA4\x9C\xE6\x98\x8E"},
        {L"x", 1, ""},
    };
    for (const Case &c : cases) {
        char out[64];
        memset(out, 0x7F, sizeof out);
        size_t length = EncodeUtf8(c.Text.c_str(), out, c.Size);
        EXPECT_EQ(c.Bytes, std::string(out)) << c.Size;
        EXPECT_EQ(c.Bytes.size(), length);
    }
}

TEST(TrackTexts, CodePageFormHasQuestionMarksAndWholeCharacters)
{
    struct Case {
        UINT CodePage;
        std::wstring Text;
        size_t Size;
        std::string Bytes;
    } cases[] = {
        {1252, L"Caf\x00E9", 16, "Caf\xE9"},
        {1252, L"\x591C \x0100", 16, "? ?"}, /* no look-alike for the macron A */
        {932, L"\x591C\x660E", 16, "\x96\xE9\x96\xBE"},
        {932, L"\x591C\x660E", 4, "\x96\xE9"}, /* the second character does not fit whole */
        {932, L"a\x591C", 3, "a"},
    };
    for (const Case &c : cases) {
        char out[64];
        WideToCodePage(c.CodePage, c.Text.c_str(), out, c.Size);
        EXPECT_EQ(c.Bytes, std::string(out)) << c.CodePage << " " << c.Size;
    }
    wchar_t wide[8];
    CodePageToWide(932, "\x96\xE9\x96\xBE", wide, 2);
    EXPECT_EQ(std::wstring(L"\x591C"), std::wstring(wide)) << "cut before the second double-byte character";
}

TEST(TrackTexts, PlayersAnswerKeptWholeUpTo255Characters)
{
    std::wstring answer(300, L'x');
    answer[254] = L'\xD83D'; /* a pair across the limit is left out whole */
    answer[255] = L'\xDE00';
    wchar_t text[TRACK_TEXT_SIZE];
    TakePlayerText(answer.c_str(), answer.size(), text);
    EXPECT_EQ(answer.substr(0, 254), std::wstring(text));
    TakePlayerText(L"short", 6, text);
    EXPECT_EQ(std::wstring(L"short"), std::wstring(text));
    const wchar_t unterminated[3] = {L'a', L'b', L'c'};
    TakePlayerText(unterminated, 3, text);
    EXPECT_EQ(std::wstring(L"abc"), std::wstring(text));
}

} // namespace
