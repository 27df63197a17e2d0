/*
 * The stream template as a user may type it (any characters, unbalanced
 * brackets, stray percent signs) filled into any buffer: terminated within
 * it, the start of the whole text and never cut between the halves of a
 * surrogate pair, and never longer than the pattern with every field
 * replaced by its value.
 *
 * Input: a byte choosing the buffer size, then the pattern as 16-bit units,
 * little-endian.  The values are fixed, one of them empty.
 */
#include "fuzz_check.h"
#include "kestrune.h"

#include <string.h>
#include <wchar.h>

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    size_t outSize = input.ConsumeIntegralInRange<size_t>(1, 300);
    std::vector<wchar_t> pattern;
    while (input.remaining_bytes() >= 2) {
        wchar_t unit = (wchar_t)input.ConsumeIntegral<uint16_t>();
        if (unit)
            pattern.push_back(unit);
    }
    pattern.push_back(L'\0');

    static const wchar_t *const Fixed[STREAM_FIELD_COUNT] = {
        L"", L"T\xD83C\xDFB5", L"Album", L"AA", L"1999", L"7", L"Genre", L"c", L"f.mp3", L"C:\\f.mp3", L"1:00", L"1"};
    StreamValues values;
    size_t longest = 0;
    for (int i = 0; i < STREAM_FIELD_COUNT; ++i) {
        values.Field[i] = Fixed[i];
        longest = wcslen(Fixed[i]) > longest ? wcslen(Fixed[i]) : longest;
    }
    std::vector<wchar_t> out(outSize, L'\x7F');
    size_t length = FillStreamTemplate(pattern.data(), &values, out.data(), out.size());
    FUZZ_CHECK(length < out.size());
    FUZZ_CHECK(out[length] == L'\0' && wcslen(out.data()) == length);
    /* The whole text, unbounded; the cut one is its start, never cut between the halves of a pair. */
    std::vector<wchar_t> whole((pattern.size() + 1) * (longest + 1), L'\x7F');
    size_t wholeLength = FillStreamTemplate(pattern.data(), &values, whole.data(), whole.size());
    FUZZ_CHECK(wholeLength < whole.size() - 1 && length <= wholeLength);
    FUZZ_CHECK(wmemcmp(out.data(), whole.data(), length) == 0);
    bool endsInHigh = length > 0 && out[length - 1] >= 0xD800 && out[length - 1] <= 0xDBFF;
    FUZZ_CHECK(!endsInHigh || length == wholeLength || whole[length] < 0xDC00 || whole[length] > 0xDFFF);
    /* A field's name ("%x%") is at least three units; its value is at most longest. */
    FUZZ_CHECK(wholeLength <= (pattern.size() - 1) * (longest > 1 ? longest : 1));
    return 0;
}
