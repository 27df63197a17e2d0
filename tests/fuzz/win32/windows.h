/*
 * A small stand-in for the platform's <windows.h>, enough to compile the
 * plug-in's parsing code natively for fuzzing: the types with the platform's
 * widths (LONG and DWORD are 32 bits, as on Windows, not long), the
 * constants, and the functions the compiled files call.  The functions are
 * carried out in win32.cpp on in-memory files; what the compiled files only
 * refer to is a trivial stub there.
 *
 * The build counts as a 64-bit Windows one (_WIN64): pointers are 8 bytes,
 * as in the x86_64 test build.
 */
#ifndef KESTRUNE_FUZZ_WINDOWS_H
#define KESTRUNE_FUZZ_WINDOWS_H

#ifndef _WIN64
#define _WIN64 1
#endif

#include <stddef.h>
#include <stdint.h>
#include <string.h>

#define WINAPI
#define CALLBACK

typedef int BOOL;
typedef unsigned char BYTE;
typedef unsigned short WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint32_t ULONG;
typedef int INT;
typedef unsigned int UINT;
typedef int64_t LONGLONG;
typedef uint64_t ULONGLONG;
typedef char CHAR;
typedef char *LPSTR;
typedef const char *LPCSTR;
typedef void *LPVOID;
typedef const void *LPCVOID;
typedef DWORD *LPDWORD;
typedef intptr_t INT_PTR, LONG_PTR, LPARAM, LRESULT;
typedef uintptr_t UINT_PTR, ULONG_PTR, WPARAM, SIZE_T;
typedef DWORD COLORREF;
typedef LONG HRESULT;
typedef void *HANDLE;
typedef HANDLE HGLOBAL;

#define KESTRUNE_FUZZ_HANDLE(name)                                                                                     \
    struct name##__ {                                                                                                  \
        int unused;                                                                                                    \
    };                                                                                                                 \
    typedef struct name##__ *name
KESTRUNE_FUZZ_HANDLE(HWND);
KESTRUNE_FUZZ_HANDLE(HINSTANCE);
KESTRUNE_FUZZ_HANDLE(HMENU);
KESTRUNE_FUZZ_HANDLE(HICON);
KESTRUNE_FUZZ_HANDLE(HFONT);
KESTRUNE_FUZZ_HANDLE(HDC);
KESTRUNE_FUZZ_HANDLE(HBRUSH);
KESTRUNE_FUZZ_HANDLE(HBITMAP);
typedef HINSTANCE HMODULE;

typedef LRESULT(CALLBACK *WNDPROC)(HWND, UINT, WPARAM, LPARAM);
typedef INT_PTR(CALLBACK *DLGPROC)(HWND, UINT, WPARAM, LPARAM);

#define TRUE 1
#define FALSE 0
#define MAX_PATH 260
#define LF_FACESIZE 32
#define CP_ACP 0

typedef union _LARGE_INTEGER {
    struct {
        DWORD LowPart;
        LONG HighPart;
    } u;
    LONGLONG QuadPart;
} LARGE_INTEGER, *PLARGE_INTEGER;

typedef struct _SYSTEMTIME {
    WORD wYear;
    WORD wMonth;
    WORD wDayOfWeek;
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
} SYSTEMTIME, *LPSYSTEMTIME;

typedef struct tagLOGFONTA {
    LONG lfHeight;
    LONG lfWidth;
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight;
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    CHAR lfFaceName[LF_FACESIZE];
} LOGFONTA;
static_assert(sizeof(LOGFONTA) == 60, "the platform's LOGFONTA is 60 bytes");

#define S_OK ((HRESULT)0)
#define SUCCEEDED(hr) (((HRESULT)(hr)) >= 0)
#define FAILED(hr) (((HRESULT)(hr)) < 0)

#define ZeroMemory(destination, length) memset((destination), 0, (length))

/* Errors. */
#define ERROR_SUCCESS 0
#define ERROR_FILE_NOT_FOUND 2
#define ERROR_ACCESS_DENIED 5
#define ERROR_INVALID_HANDLE 6
#define ERROR_WRITE_FAULT 29
#define ERROR_FILE_EXISTS 80
#define ERROR_INVALID_PARAMETER 87
#define ERROR_NEGATIVE_SEEK 131
#define ERROR_ALREADY_EXISTS 183
DWORD GetLastError(void);
void SetLastError(DWORD code);

/* Files. */
#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
#define FILE_SHARE_READ 0x1
#define FILE_SHARE_WRITE 0x2
#define FILE_SHARE_DELETE 0x4
#define CREATE_NEW 1
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define OPEN_ALWAYS 4
#define TRUNCATE_EXISTING 5
#define FILE_ATTRIBUTE_NORMAL 0x80
#define FILE_FLAG_SEQUENTIAL_SCAN 0x08000000
#define FILE_BEGIN 0
#define FILE_CURRENT 1
#define FILE_END 2
#define INVALID_HANDLE_VALUE ((HANDLE)(LONG_PTR)-1)
#define INVALID_FILE_SIZE ((DWORD)0xFFFFFFFF)
#define INVALID_SET_FILE_POINTER ((DWORD)-1)

HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD share, void *security, DWORD disposition, DWORD flags,
                   HANDLE templateFile);
/* The name's characters above 0x7F become '?': the in-memory store has narrow names. */
HANDLE CreateFileW(const wchar_t *name, DWORD access, DWORD share, void *security, DWORD disposition, DWORD flags,
                   HANDLE templateFile);
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD count, LPDWORD read, void *overlapped);
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD count, LPDWORD written, void *overlapped);
BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, PLARGE_INTEGER position, DWORD method);
DWORD SetFilePointer(HANDLE file, LONG distance, LONG *distanceHigh, DWORD method);
DWORD GetFileSize(HANDLE file, LPDWORD sizeHigh);
BOOL GetFileSizeEx(HANDLE file, PLARGE_INTEGER size);
BOOL CloseHandle(HANDLE object);
BOOL DeleteFileA(LPCSTR name);
BOOL CopyFileA(LPCSTR existing, LPCSTR target, BOOL failIfExists);

/* Private-profile (INI) files. */
DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR fallback, LPSTR buffer, DWORD size, LPCSTR file);
UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT fallback, LPCSTR file);
BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR file);

/* Code pages. */
BOOL IsDBCSLeadByteEx(UINT codePage, BYTE byte);
BOOL IsDBCSLeadByte(BYTE byte);
#define WC_NO_BEST_FIT_CHARS 0x00000400
#define ERROR_INSUFFICIENT_BUFFER 122
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int length, wchar_t *out, int size);
int WideCharToMultiByte(UINT codePage, DWORD flags, const wchar_t *text, int length, LPSTR out, int size,
                        LPCSTR defaultChar, BOOL *usedDefault);

/* Memory, time, debugger output. */
#define GMEM_FIXED 0x0000
#define GMEM_MOVEABLE 0x0002
#define GMEM_DDESHARE 0x2000
HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
HGLOBAL GlobalFree(HGLOBAL memory);
HANDLE GetProcessHeap(void);
LPVOID HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes);
LPVOID HeapReAlloc(HANDLE heap, DWORD flags, LPVOID memory, SIZE_T bytes);
BOOL HeapFree(HANDLE heap, DWORD flags, LPVOID memory);
void GetLocalTime(LPSYSTEMTIME time);
void OutputDebugStringA(LPCSTR text);

/* Message boxes. */
#define MB_OK 0x00000000
#define MB_YESNO 0x00000004
#define MB_ICONERROR 0x00000010
#define MB_ICONQUESTION 0x00000020
#define MB_ICONWARNING 0x00000030
#define MB_ICONINFORMATION 0x00000040
#define MB_DEFBUTTON2 0x00000100
#define MB_TASKMODAL 0x00002000
#define MB_SETFOREGROUND 0x00010000
#define MB_TOPMOST 0x00040000
#define IDOK 1
#define IDCANCEL 2
#define IDYES 6
#define IDNO 7
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT flags);

#endif
