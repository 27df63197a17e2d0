/*
 * The stream template: fields, "%%", parts in brackets, unknown names and
 * stray percent signs as written, and the cut at the buffer's end.
 */
#include <gtest/gtest.h>

#include <string>

#include "kestrune.h"

namespace
{

StreamValues Values(const wchar_t *artist)
{
    StreamValues values;
    const wchar_t *fields[STREAM_FIELD_COUNT] = {artist,  L"Title",   L"Album", L"",       L"1999",
                                                 L"7",    L"Ambient", L"Note",  L"t.flac", L"C:\\M\\t.flac",
                                                 L"3:05", L"2"};
    for (int i = 0; i < STREAM_FIELD_COUNT; ++i)
        values.Field[i] = fields[i];
    return values;
}

std::wstring Fill(const std::wstring &pattern, const wchar_t *artist, size_t size = STREAM_TEXT_SIZE)
{
    StreamValues values = Values(artist);
    std::wstring out(size, L'#');
    size_t length = FillStreamTemplate(pattern.c_str(), &values, &out[0], size);
    EXPECT_EQ(out[length], L'\0');
    return out.substr(0, length);
}

TEST(StreamTemplate, FieldsPartsAndPercentSigns)
{
    struct Case {
        const wchar_t *Pattern;
        const wchar_t *Artist;
        const wchar_t *Expected;
    } cases[] = {
        {L"[%artist% - ]%title%", L"Band", L"Band - Title"},
        {L"[%artist% - ]%title%", L"", L"Title"},
        {L"%ARTIST%|%Title%|%album%|%year%|%track%|%genre%|%comment%", L"B", L"B|Title|Album|1999|7|Ambient|Note"},
        {L"%filename% %path% %length% #%position%", L"B", L"t.flac C:\\M\\t.flac 3:05 #2"},
        {L"[by %albumartist%]%title%", L"B", L"Title"},
        {L"[%title% [(%albumartist%)] - ]x", L"B", L"Title  - x"},
        {L"[%title% [(%artist%)]]", L"", L"Title "},
        {L"100%% %title%", L"B", L"100% Title"},
        {L"100% of %title%", L"B", L"100% of Title"},
        {L"%unknown% %title%", L"B", L"%unknown% Title"},
        {L"%tit le% 50%", L"B", L"%tit le% 50%"},
        {L"%title", L"B", L"%title"},
        {L"[%artist% - %title%", L"", L""},
        {L"a]b", L"", L"a]b"},
        {L"", L"B", L""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Fill(c.Pattern, c.Artist), c.Expected) << std::wstring(c.Pattern).size();
}

TEST(StreamTemplate, CutAtTheBufferNeverInAPair)
{
    struct Case {
        const wchar_t *Artist;
        size_t Size;
        const wchar_t *Expected;
    } cases[] = {
        {L"abcdef", 4, L"abc"},
        {L"ab\xD83C\xDFB5", 4, L"ab"},
        {L"ab\xD83C\xDFB5", 5, L"ab\xD83C\xDFB5"},
        {L"a\xD83C\xDFB5z", 3, L"a"}, /* nothing after the first unit that did not fit */
        {L"x", 1, L""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Fill(L"%artist%", c.Artist, c.Size), c.Expected) << c.Size;
    EXPECT_EQ(Fill(L"[%artist%%path%]%title%", L"", 8), L"Title") << "a dropped part gives its room back";
    EXPECT_EQ(Fill(L"%path%[%artist%]%title%", L"", 8), L"C:\\M\\t.") << "a full text stays full";
    std::wstring longArtist(5000, L'a');
    EXPECT_EQ(Fill(L"%artist%", longArtist.c_str()).size(), (size_t)STREAM_TEXT_SIZE - 1);
}

} // namespace
