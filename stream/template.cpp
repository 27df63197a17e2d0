/*
 * The stream text's template: "%field%" names a value of the track, "%%"
 * is a percent sign, and a part in square brackets is left out when a field
 * inside it is empty ("[%artist% - ]%title%").  Everything else is copied
 * as it is, an unknown "%name%" included.  The result is bounded by the
 * caller's buffer and never ends in half a surrogate pair.
 */
#include "kestrune.h"

#include <wchar.h>

/* The field names, in the order of StreamField. */
static const wchar_t *const FieldNames[STREAM_FIELD_COUNT] = {
    L"artist", L"title",   L"album",    L"albumartist", L"year",   L"track",
    L"genre",  L"comment", L"filename", L"path",        L"length", L"position",
};

/* Parts nest this deep; a deeper "[" is an ordinary character. */
enum { PART_DEPTH = 16 };

/* The text being built, and the parts open in it. */
struct Filling {
    wchar_t *Out;
    size_t Size;
    size_t Length;
    /* A unit did not fit: nothing more is added, so the text is the start of the whole one. */
    bool Full;
    size_t PartStart[PART_DEPTH];
    bool PartEmpty[PART_DEPTH];
    bool PartFull[PART_DEPTH];
    int Depth;
};

/* Appends units while they fit with a terminator; a high surrogate needs room for its partner. */
static void Append(Filling *filling, const wchar_t *text, size_t count)
{
    for (size_t i = 0; i < count && !filling->Full; ++i) {
        bool high = text[i] >= 0xD800 && text[i] <= 0xDBFF;
        if (filling->Length + (high ? 2 : 1) >= filling->Size)
            filling->Full = true;
        else
            filling->Out[filling->Length++] = text[i];
    }
}

static bool IsNameLetter(wchar_t unit) { return (unit >= L'a' && unit <= L'z') || (unit >= L'A' && unit <= L'Z'); }

/* The field a name of count letters stands for, any case; STREAM_FIELD_COUNT for none. */
static int FindField(const wchar_t *name, size_t count)
{
    for (int field = 0; field < STREAM_FIELD_COUNT; ++field) {
        const wchar_t *known = FieldNames[field];
        size_t i = 0;
        while (i < count && known[i] && (name[i] | 0x20) == known[i])
            ++i;
        if (i == count && !known[i])
            return field;
    }
    return STREAM_FIELD_COUNT;
}

/*
 * Handles the "%" at pattern[0]; returns how many units it used.  Only
 * letters between two percent signs make a name, so "100% of %title%"
 * keeps its first percent sign.
 */
static size_t FillField(Filling *filling, const wchar_t *pattern, const StreamValues *values)
{
    if (pattern[1] == L'%') {
        Append(filling, L"%", 1);
        return 2;
    }
    size_t count = 0;
    while (IsNameLetter(pattern[1 + count]))
        ++count;
    if (count == 0 || pattern[1 + count] != L'%') {
        Append(filling, L"%", 1);
        return 1;
    }
    int field = FindField(pattern + 1, count);
    if (field == STREAM_FIELD_COUNT) {
        Append(filling, pattern, count + 2);
        return count + 2;
    }
    const wchar_t *value = values->Field[field] ? values->Field[field] : L"";
    if (!value[0] && filling->Depth > 0)
        filling->PartEmpty[filling->Depth - 1] = true;
    Append(filling, value, wcslen(value));
    return count + 2;
}

/*
 * "]" closes the innermost part: kept, or taken back when a field in it
 * was empty, with the room it may have used up.
 */
static void ClosePart(Filling *filling)
{
    --filling->Depth;
    if (filling->PartEmpty[filling->Depth]) {
        filling->Length = filling->PartStart[filling->Depth];
        filling->Full = filling->PartFull[filling->Depth];
    }
}

size_t FillStreamTemplate(const wchar_t *pattern, const StreamValues *values, wchar_t *out, size_t size)
{
    if (size == 0)
        return 0;
    Filling filling;
    filling.Out = out;
    filling.Size = size;
    filling.Length = 0;
    filling.Full = false;
    filling.Depth = 0;
    for (size_t at = 0; pattern[at];) {
        wchar_t unit = pattern[at];
        if (unit == L'%') {
            at += FillField(&filling, pattern + at, values);
            continue;
        }
        if (unit == L'[' && filling.Depth < PART_DEPTH) {
            filling.PartStart[filling.Depth] = filling.Length;
            filling.PartFull[filling.Depth] = filling.Full;
            filling.PartEmpty[filling.Depth++] = false;
        } else if (unit == L']' && filling.Depth > 0) {
            ClosePart(&filling);
        } else {
            Append(&filling, &unit, 1);
        }
        ++at;
    }
    /* A part still open at the end closes there. */
    while (filling.Depth > 0)
        ClosePart(&filling);
    out[filling.Length] = L'\0';
    return filling.Length;
}
