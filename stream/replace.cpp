/*
 * Files replaced in one step, so that a program showing them never reads
 * half a text or half a picture: the new content goes to "<name>.tmp" in
 * the same folder, which is then moved over the old file.  A reader that
 * holds the old file open without allowing its deletion makes the move
 * fail; the temporary file then stays, and the next tick tries the move
 * again.  The old file is never written in place.
 */
#include "kestrune.h"

#include <strsafe.h>

bool MakeStreamTemporaryName(const wchar_t *target, wchar_t *temporary, size_t size)
{
    return target[0] && SUCCEEDED(StringCchPrintfW(temporary, size, L"%s.tmp", target));
}

bool MoveStreamFile(const wchar_t *target)
{
    wchar_t temporary[PATH_SIZE + 8];
    if (!MakeStreamTemporaryName(target, temporary, PATH_SIZE + 8))
        return false;
    return MoveFileExW(temporary, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

/* Writes the temporary file; a failed write leaves none behind. */
static bool WriteTemporaryFile(const wchar_t *temporary, const void *bytes, size_t size)
{
    HANDLE file = CreateFileW(temporary, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool whole = size == 0 || (WriteFile(file, bytes, (DWORD)size, &written, NULL) && written == size);
    CloseHandle(file);
    if (!whole)
        DeleteFileW(temporary);
    return whole;
}

bool ReplaceStreamFile(const wchar_t *target, const void *bytes, size_t size)
{
    wchar_t temporary[PATH_SIZE + 8];
    if (!MakeStreamTemporaryName(target, temporary, PATH_SIZE + 8) || !WriteTemporaryFile(temporary, bytes, size))
        return false;
    return MoveStreamFile(target);
}
