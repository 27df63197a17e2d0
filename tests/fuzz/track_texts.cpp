/*
 * The track's texts where they are cut or converted: the player's answer to
 * a metadata query (any units, perhaps without a terminator) as the
 * track's text, the UTF-8 the files receive, and the code-page forms of
 * names (stand-in tables: single bytes, and lead and trail bytes for 932).
 *
 * Input: a byte choosing the buffer size, a byte choosing the code page,
 * then the answer as 16-bit units, little-endian.
 */
#include "fuzz_check.h"
#include "kestrune.h"

#include <string.h>

#include <vector>

/* Decodes UTF-8 written by EncodeUtf8; false when it is not well formed. */
static bool DecodeUtf8(const char *bytes, std::vector<unsigned> *points)
{
    for (size_t i = 0; bytes[i];) {
        unsigned char lead = (unsigned char)bytes[i];
        size_t count = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
        if (count == 0)
            return false;
        unsigned point = count == 1 ? lead : lead & (0x7F >> count);
        for (size_t k = 1; k < count; ++k) {
            unsigned char next = (unsigned char)bytes[i + k];
            if ((next & 0xC0) != 0x80)
                return false;
            point = point << 6 | (next & 0x3F);
        }
        points->push_back(point);
        i += count;
    }
    return true;
}

/* The code points of a wide text, as UTF-16: pairs joined, lone surrogates U+FFFD. */
static std::vector<unsigned> CodePoints(const wchar_t *text)
{
    std::vector<unsigned> points;
    for (size_t i = 0; text[i]; ++i) {
        unsigned unit = (unsigned)text[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && (unsigned)text[i + 1] >= 0xDC00 && (unsigned)text[i + 1] <= 0xDFFF) {
            points.push_back(0x10000 + ((unit - 0xD800) << 10) + ((unsigned)text[i + 1] - 0xDC00));
            ++i;
        } else {
            points.push_back(unit >= 0xD800 && unit <= 0xDFFF ? 0xFFFD : unit);
        }
    }
    return points;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    size_t outSize = input.ConsumeIntegralInRange<size_t>(1, 800);
    UINT codePage = input.ConsumeBool() ? 932 : 1252;
    std::vector<wchar_t> answer;
    while (input.remaining_bytes() >= 2)
        answer.push_back((wchar_t)input.ConsumeIntegral<uint16_t>());
    if (answer.empty())
        answer.push_back(L'\0');

    /* The answer, unterminated where the player left it so, as the track's text. */
    wchar_t text[TRACK_TEXT_SIZE];
    TakePlayerText(answer.data(), answer.size(), text);
    size_t length = wcslen(text);
    FUZZ_CHECK(length < TRACK_TEXT_SIZE);
    FUZZ_CHECK(memcmp(text, answer.data(), length * sizeof(wchar_t)) == 0);
    FUZZ_CHECK(length == answer.size() || answer[length] == 0 || length >= TRACK_TEXT_SIZE - 2);
    bool cutInPair = length > 0 && (unsigned)text[length - 1] >= 0xD800 && (unsigned)text[length - 1] <= 0xDBFF &&
                     length < answer.size() && (unsigned)answer[length] >= 0xDC00 && (unsigned)answer[length] <= 0xDFFF;
    FUZZ_CHECK(!cutInPair);

    /* UTF-8 into any buffer: terminated within it, well formed, a prefix of whole characters. */
    std::vector<char> utf8(outSize, '\x7F');
    size_t written = EncodeUtf8(text, utf8.data(), utf8.size());
    FUZZ_CHECK(written < utf8.size() && utf8[written] == '\0' && strlen(utf8.data()) == written);
    std::vector<unsigned> decoded, expected = CodePoints(text);
    FUZZ_CHECK(DecodeUtf8(utf8.data(), &decoded));
    FUZZ_CHECK(decoded.size() <= expected.size());
    FUZZ_CHECK(std::equal(decoded.begin(), decoded.end(), expected.begin()));
    if (utf8.size() > 4 * TRACK_TEXT_SIZE)
        FUZZ_CHECK(decoded.size() == expected.size());

    /* The code page's form and back: terminated within each buffer, never a half character at the end. */
    std::vector<char> ansi(outSize, '\x7F');
    WideToCodePage(codePage, text, ansi.data(), ansi.size());
    size_t ansiLength = strnlen(ansi.data(), ansi.size());
    FUZZ_CHECK(ansiLength < ansi.size());
    size_t at = 0;
    while (at < ansiLength)
        at += IsDBCSLeadByteEx(codePage, (BYTE)ansi[at]) ? 2 : 1;
    FUZZ_CHECK(at == ansiLength);
    std::vector<wchar_t> back(outSize, L'\x7F');
    CodePageToWide(codePage, ansi.data(), back.data(), back.size());
    size_t backLength = wcsnlen(back.data(), back.size());
    FUZZ_CHECK(backLength < back.size());
    FUZZ_CHECK(backLength <= ansiLength);
    return 0;
}
