/*
 * The platform's bounded text functions, with their truncation and return
 * values: the result always fits in cchDest characters with its terminator;
 * text that does not fit is cut to cchDest - 1 characters, terminated, and
 * STRSAFE_E_INSUFFICIENT_BUFFER is returned; a cchDest of 0 or above
 * STRSAFE_MAX_CCH is STRSAFE_E_INVALID_PARAMETER and nothing is written.
 *
 * Stricter than the platform in one way: each function reads the last
 * character of the cchDest it is given, so a size larger than the buffer is
 * caught by AddressSanitizer even when the text would have fitted.
 */
#ifndef KESTRUNE_FUZZ_STRSAFE_H
#define KESTRUNE_FUZZ_STRSAFE_H

#include <windows.h>

#define STRSAFE_MAX_CCH 2147483647
#define STRSAFE_E_INSUFFICIENT_BUFFER ((HRESULT)0x8007007A)
#define STRSAFE_E_INVALID_PARAMETER ((HRESULT)0x80070057)

HRESULT StringCchPrintfA(LPSTR pszDest, size_t cchDest, LPCSTR pszFormat, ...) __attribute__((format(printf, 3, 4)));
HRESULT StringCchCopyA(LPSTR pszDest, size_t cchDest, LPCSTR pszSrc);
HRESULT StringCchCopyNA(LPSTR pszDest, size_t cchDest, LPCSTR pszSrc, size_t cchToCopy);

#endif
