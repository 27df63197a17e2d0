/*
 * The lyrics address for any three tag texts (terminated or filling all 31
 * bytes), in code page 932 or 1252, into a buffer of any size:
 * - the result is terminated within its buffer; a refused address is empty,
 *   and is refused only for an empty, "." or ".." text or for want of room;
 * - an address is the site's base, "/lyrics/" and three segments, and holds
 *   no raw blank, quote, control byte, "?" or "#", no "\" but as the trail
 *   byte of a double-byte character, and no segment that is dots only or
 *   that a browser resolves as a step ("." and ".." also percent-encoded);
 * - each segment decodes to its text, with "_" for blanks and A to Z in
 *   lower case.
 */
#include "fuzz_check.h"
#include "kestrune.h"

#include <ctype.h>
#include <string>
#include <vector>

static const std::string Head = "https://www.lyricshelf.com/lyrics/";

static std::string TextOf(const char *field) { return std::string(field, strnlen(field, TAG_TEXT_SIZE - 1)); }

static bool CannotBeSegment(const std::string &text) { return text.empty() || text == "." || text == ".."; }

static int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

static std::string Decoded(const std::string &segment)
{
    std::string text;
    for (size_t i = 0; i < segment.size(); ++i) {
        if (segment[i] != '%') {
            text += segment[i];
            continue;
        }
        FUZZ_CHECK(i + 2 < segment.size() && HexValue(segment[i + 1]) >= 0 && HexValue(segment[i + 2]) >= 0);
        text += (char)(HexValue(segment[i + 1]) * 16 + HexValue(segment[i + 2]));
        i += 2;
    }
    return text;
}

static bool IsStep(std::string segment)
{
    for (char &c : segment)
        c = (char)tolower((unsigned char)c);
    for (const char *step : {".", "..", "%2e", ".%2e", "%2e.", "%2e%2e"})
        if (segment == step)
            return true;
    return segment.find_first_not_of('.') == std::string::npos;
}

static void CheckSegment(const std::string &segment, const std::string &text)
{
    FUZZ_CHECK(!IsStep(segment) && segment.find('/') == std::string::npos);
    std::string decoded = Decoded(segment);
    FUZZ_CHECK(decoded.size() == text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char t = text[i], d = decoded[i];
        FUZZ_CHECK(d == t || (t == ' ' && d == '_') || (t >= 'A' && t <= 'Z' && d == t - 'A' + 'a'));
    }
}

static void CheckAddress(const std::string &address, UINT codePage, const std::string texts[3])
{
    FUZZ_CHECK(address.compare(0, Head.size(), Head) == 0);
    for (size_t i = 0; i < address.size(); ++i) {
        unsigned char c = (unsigned char)address[i];
        FUZZ_CHECK(c > ' ' && c != '"' && c != 0x7F && c != '?' && c != '#');
        FUZZ_CHECK(c != '\\' || IsDBCSLeadByteEx(codePage, (BYTE)address[i - 1]));
    }
    size_t at = Head.size();
    for (int i = 0; i < 3; ++i) {
        size_t end = i < 2 ? address.find('/', at) : address.size();
        FUZZ_CHECK(end != std::string::npos);
        CheckSegment(address.substr(at, end - at), texts[i]);
        at = end + 1;
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const UINT codePage = input.ConsumeBool() ? 932 : 1252;
    const size_t room = input.ConsumeIntegralInRange<size_t>(1, SHARED_TEXT_SIZE);
    Id3v1Tag *tag = new Id3v1Tag();
    for (char *field : {tag->Artist, tag->Album, tag->Title}) {
        std::string text = input.ConsumeRandomLengthString(TAG_TEXT_SIZE);
        memcpy(field, text.data(), text.size());
    }
    const std::string texts[3] = {TextOf(tag->Artist), TextOf(tag->Album), TextOf(tag->Title)};

    char *address = new char[room];
    std::vector<char> roomy(SHARED_TEXT_SIZE);
    bool made = MakeLyricsAddressInCodePage(tag, codePage, address, room);
    bool madeRoomy = MakeLyricsAddressInCodePage(tag, codePage, roomy.data(), roomy.size());
    FUZZ_CHECK(memchr(address, 0, room) != NULL);
    FUZZ_CHECK(madeRoomy == !(CannotBeSegment(texts[0]) || CannotBeSegment(texts[1]) || CannotBeSegment(texts[2])));
    if (made) {
        FUZZ_CHECK(std::string(address) == roomy.data());
        CheckAddress(address, codePage, texts);
    } else {
        FUZZ_CHECK(address[0] == '\0');
        FUZZ_CHECK(!madeRoomy || strlen(roomy.data()) >= room);
    }
    delete[] address;
    delete tag;
    return 0;
}
