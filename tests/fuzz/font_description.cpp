/*
 * ParseFontDescription over any text and any font: the result is exactly
 * the old font with its first fields replaced by the numbers read (32-bit
 * fields modulo 2^32, byte fields the low 8 bits), so nothing else changes,
 * the face name included.  The text ends its own heap block, so a read past
 * its terminator is caught.
 */
#include "fuzz_check.h"
#include "kestrune.h"

#include <ctype.h>
#include <string>

enum { FIELDS = 13 };

/* The numbers of a description as a second, independent reading: how many were read. */
static int ReadNumbers(const std::string &text, uint32_t numbers[FIELDS])
{
    size_t at = 0;
    for (int count = 0; count < FIELDS; ++count) {
        if (count > 0 && (at >= text.size() || text[at++] != ':'))
            return count;
        while (at < text.size() && (text[at] == ' ' || (text[at] >= '\t' && text[at] <= '\r')))
            ++at;
        bool negative = at < text.size() && text[at] == '-';
        if (at < text.size() && (text[at] == '-' || text[at] == '+'))
            ++at;
        if (at >= text.size() || !isdigit((unsigned char)text[at]))
            return count;
        uint64_t number = 0;
        for (; at < text.size() && isdigit((unsigned char)text[at]); ++at)
            number = (number * 10 + (uint64_t)(text[at] - '0')) & 0xFFFFFFFFu;
        numbers[count] = negative ? 0u - (uint32_t)number : (uint32_t)number;
    }
    return FIELDS;
}

static void Store(LOGFONTA *font, int index, uint32_t number)
{
    LONG *longs[] = {&font->lfHeight, &font->lfWidth, &font->lfEscapement, &font->lfOrientation, &font->lfWeight};
    BYTE *bytes[] = {&font->lfItalic,       &font->lfUnderline,     &font->lfStrikeOut, &font->lfCharSet,
                     &font->lfOutPrecision, &font->lfClipPrecision, &font->lfQuality,   &font->lfPitchAndFamily};
    if (index < 5)
        *longs[index] = (LONG)number;
    else
        *bytes[index - 5] = (BYTE)number;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    LOGFONTA *font = new LOGFONTA;
    std::vector<uint8_t> old = input.ConsumeBytes<uint8_t>(sizeof *font);
    old.resize(sizeof *font);
    memcpy(font, old.data(), sizeof *font);
    std::string text = input.ConsumeRemainingBytesAsString();
    text = text.c_str();
    char *description = new char[text.size() + 1];
    memcpy(description, text.c_str(), text.size() + 1);

    LOGFONTA expected;
    memcpy(&expected, font, sizeof expected);
    uint32_t numbers[FIELDS];
    int count = ReadNumbers(text, numbers);
    for (int i = 0; i < count; ++i)
        Store(&expected, i, numbers[i]);

    ParseFontDescription(description, font);
    FUZZ_CHECK(memcmp(font, &expected, sizeof expected) == 0);
    delete[] description;
    delete font;
    return 0;
}
