/*
 * The stand-in's functions: files kept in memory, the private-profile
 * functions on them with the platform's reading and writing of INI files,
 * the bounded text functions, the double-byte lead bytes of code pages 932
 * and 1252, and trivial stubs for what the compiled files only refer to.
 */
#include <windows.h>
#include <strsafe.h>

#include "memory_files.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <strings.h>

#include <map>
#include <string>
#include <vector>

/* ---- errors ------------------------------------------------------------- */

static DWORD LastError;

DWORD GetLastError(void) { return LastError; }
void SetLastError(DWORD code) { LastError = code; }

static BOOL Fail(DWORD code)
{
    LastError = code;
    return FALSE;
}

/*
 * Reads the last byte of a buffer the caller declares to hold size bytes,
 * so that a declared size larger than the real buffer is caught by
 * AddressSanitizer whatever the function then writes.
 */
static void TouchLast(const void *buffer, size_t size)
{
    if (size > 0) {
        volatile char last = static_cast<const char *>(buffer)[size - 1];
        (void)last;
    }
}

/* ---- in-memory files ---------------------------------------------------- */

struct CaseLess {
    bool operator()(const std::string &a, const std::string &b) const { return strcasecmp(a.c_str(), b.c_str()) < 0; }
};
static std::map<std::string, std::string, CaseLess> Files;

struct OpenFile {
    std::string Name;
    DWORD Access;
    ULONGLONG Position;
};

void StandIn::ClearFiles() { Files.clear(); }
void StandIn::PutFile(const std::string &name, const std::string &bytes) { Files[name] = bytes; }

bool StandIn::FileBytes(const std::string &name, std::string *bytes)
{
    auto found = Files.find(name);
    if (found == Files.end())
        return false;
    *bytes = found->second;
    return true;
}

/* The open file behind a handle; NULL, with the error set, for no handle. */
static OpenFile *Opened(HANDLE file)
{
    if (file == NULL || file == INVALID_HANDLE_VALUE) {
        LastError = ERROR_INVALID_HANDLE;
        return NULL;
    }
    return static_cast<OpenFile *>(file);
}

HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD, void *, DWORD disposition, DWORD, HANDLE)
{
    auto found = Files.find(name);
    const bool exists = found != Files.end();
    LastError = ERROR_SUCCESS;
    switch (disposition) {
    case CREATE_NEW:
        if (exists) {
            LastError = ERROR_FILE_EXISTS;
            return INVALID_HANDLE_VALUE;
        }
        Files[name];
        break;
    case CREATE_ALWAYS:
        if (exists)
            LastError = ERROR_ALREADY_EXISTS;
        Files[name].clear();
        break;
    case OPEN_EXISTING:
    case TRUNCATE_EXISTING:
        if (!exists) {
            LastError = ERROR_FILE_NOT_FOUND;
            return INVALID_HANDLE_VALUE;
        }
        if (disposition == TRUNCATE_EXISTING)
            found->second.clear();
        break;
    case OPEN_ALWAYS:
        if (exists)
            LastError = ERROR_ALREADY_EXISTS;
        Files[name];
        break;
    default:
        LastError = ERROR_INVALID_PARAMETER;
        return INVALID_HANDLE_VALUE;
    }
    return new OpenFile{name, access, 0};
}

HANDLE CreateFileW(const wchar_t *name, DWORD access, DWORD share, void *security, DWORD disposition, DWORD flags,
                   HANDLE templateFile)
{
    std::string narrow;
    for (; *name; ++name)
        narrow += (unsigned)*name < 0x80 ? (char)*name : '?';
    return CreateFileA(narrow.c_str(), access, share, security, disposition, flags, templateFile);
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD count, LPDWORD read, void *)
{
    *read = 0;
    OpenFile *open = Opened(file);
    if (!open)
        return FALSE;
    if (!(open->Access & GENERIC_READ))
        return Fail(ERROR_ACCESS_DENIED);
    TouchLast(buffer, count);
    const std::string &bytes = Files[open->Name];
    if (open->Position < bytes.size()) {
        size_t available = bytes.size() - (size_t)open->Position;
        *read = (DWORD)(count < available ? count : available);
        memcpy(buffer, bytes.data() + open->Position, *read);
        open->Position += *read;
    }
    return TRUE;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD count, LPDWORD written, void *)
{
    *written = 0;
    OpenFile *open = Opened(file);
    if (!open)
        return FALSE;
    if (!(open->Access & GENERIC_WRITE))
        return Fail(ERROR_ACCESS_DENIED);
    std::string &bytes = Files[open->Name];
    if (bytes.size() < open->Position + count)
        bytes.resize((size_t)open->Position + count);
    memcpy(&bytes[(size_t)open->Position], buffer, count);
    open->Position += count;
    *written = count;
    return TRUE;
}

/* A position before the start of the file is refused; one past its end is not. */
BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, PLARGE_INTEGER position, DWORD method)
{
    OpenFile *open = Opened(file);
    if (!open)
        return FALSE;
    LONGLONG base = 0;
    if (method == FILE_CURRENT)
        base = (LONGLONG)open->Position;
    else if (method == FILE_END)
        base = (LONGLONG)Files[open->Name].size();
    else if (method != FILE_BEGIN)
        return Fail(ERROR_INVALID_PARAMETER);
    if (distance.QuadPart < -base)
        return Fail(ERROR_NEGATIVE_SEEK);
    open->Position = (ULONGLONG)(base + distance.QuadPart);
    if (position)
        position->QuadPart = (LONGLONG)open->Position;
    return TRUE;
}

DWORD SetFilePointer(HANDLE file, LONG distance, LONG *distanceHigh, DWORD method)
{
    LARGE_INTEGER move, position;
    move.QuadPart = distanceHigh ? (LONGLONG)(((ULONGLONG)(DWORD)*distanceHigh << 32) | (DWORD)distance) : distance;
    if (!SetFilePointerEx(file, move, &position, method))
        return INVALID_SET_FILE_POINTER;
    if (distanceHigh)
        *distanceHigh = (LONG)(position.QuadPart >> 32);
    LastError = ERROR_SUCCESS;
    return (DWORD)position.QuadPart;
}

BOOL GetFileSizeEx(HANDLE file, PLARGE_INTEGER size)
{
    OpenFile *open = Opened(file);
    if (!open)
        return FALSE;
    size->QuadPart = (LONGLONG)Files[open->Name].size();
    return TRUE;
}

DWORD GetFileSize(HANDLE file, LPDWORD sizeHigh)
{
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size))
        return INVALID_FILE_SIZE;
    if (sizeHigh)
        *sizeHigh = (DWORD)(size.QuadPart >> 32);
    return (DWORD)size.QuadPart;
}

/* Every handle the stand-in gives out is a file; one never closed shows as a leak. */
BOOL CloseHandle(HANDLE object)
{
    OpenFile *open = Opened(object);
    if (!open)
        return FALSE;
    delete open;
    return TRUE;
}

BOOL DeleteFileA(LPCSTR name) { return Files.erase(name) ? TRUE : Fail(ERROR_FILE_NOT_FOUND); }

BOOL CopyFileA(LPCSTR existing, LPCSTR target, BOOL failIfExists)
{
    auto source = Files.find(existing);
    if (source == Files.end())
        return Fail(ERROR_FILE_NOT_FOUND);
    if (failIfExists && Files.count(target))
        return Fail(ERROR_FILE_EXISTS);
    std::string bytes = source->second;
    Files[target] = bytes;
    return TRUE;
}

/* ---- private-profile files ---------------------------------------------- */

/*
 * An INI file as the platform reads it: lines end at CR or LF; blanks
 * around a line, around a key's name and around its value are dropped
 * (empty lines vanish); "[name]" opens a section (the name reaches to the
 * line's last "]"); any other line is a key, its name before the first
 * "=" and its value after it, or a name alone.  Lines before the first
 * section belong to no section.  A lookup takes the first section of the
 * name and in it the first key of the name, both without regard to case.
 * Writing rewrites the whole file from what was read, as the platform's
 * emulator does, with CR LF line ends.
 */
struct IniKey {
    std::string Name;
    bool HasValue;
    std::string Value;
};
struct IniSection {
    bool Named;
    std::string Name;
    std::vector<IniKey> Keys;
};
typedef std::vector<IniSection> IniFile;

static bool IsIniBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1A'; }

static std::string Trimmed(const char *begin, const char *end)
{
    while (begin < end && IsIniBlank(*begin))
        ++begin;
    while (end > begin && IsIniBlank(end[-1]))
        --end;
    return std::string(begin, end);
}

static std::string Trimmed(const std::string &text) { return Trimmed(text.data(), text.data() + text.size()); }

static bool SameName(const std::string &a, const char *b) { return a.size() == strlen(b) && !strcasecmp(a.c_str(), b); }

static IniFile ParseIni(const std::string &bytes)
{
    IniFile ini;
    const char *at = bytes.data(), *end = at + bytes.size();
    while (at < end) {
        const char *lineEnd = at;
        while (lineEnd < end && *lineEnd != '\r' && *lineEnd != '\n')
            ++lineEnd;
        std::string line = Trimmed(at, lineEnd);
        at = lineEnd + 1;
        if (line.empty())
            continue;
        size_t close = line.rfind(']');
        if (line[0] == '[' && close != std::string::npos && close > 0) {
            ini.push_back(IniSection{true, line.substr(1, close - 1), {}});
            continue;
        }
        if (ini.empty())
            ini.push_back(IniSection{false, "", {}});
        size_t equals = line.find('=');
        if (equals == std::string::npos)
            ini.back().Keys.push_back(IniKey{line, false, ""});
        else
            ini.back().Keys.push_back(IniKey{Trimmed(line.substr(0, equals)), true, Trimmed(line.substr(equals + 1))});
    }
    return ini;
}

/*
 * The last parse of each file, reused while the file's bytes stay the same
 * (the plug-in reads some fifty keys in a row), and kept up to date by
 * writes whose texts read back exactly as written.
 */
struct ParsedIni {
    bool Valid;
    std::string Bytes;
    IniFile Ini;
};
static std::map<std::string, ParsedIni, CaseLess> Parsed;

static ParsedIni &ReadIni(const char *path)
{
    static const std::string Empty;
    auto file = Files.find(path);
    const std::string &bytes = file == Files.end() ? Empty : file->second;
    ParsedIni &parsed = Parsed[path];
    if (!parsed.Valid || parsed.Bytes != bytes) {
        parsed.Ini = ParseIni(bytes);
        parsed.Bytes = bytes;
        parsed.Valid = true;
    }
    return parsed;
}

/* True when a written name or value reads back unchanged: no line end, no blank around it. */
static bool ReadsBack(const char *text, const char *forbidden)
{
    return !strpbrk(text, forbidden) && Trimmed(text, text + strlen(text)) == text;
}

static void WriteIni(const char *path, ParsedIni &parsed, bool readsBack)
{
    std::string &bytes = parsed.Bytes;
    bytes.clear();
    for (const IniSection &section : parsed.Ini) {
        if (section.Named)
            bytes.append("[").append(section.Name).append("]\r\n");
        for (const IniKey &key : section.Keys) {
            bytes.append(key.Name);
            if (key.HasValue)
                bytes.append("=").append(key.Value);
            bytes.append("\r\n");
        }
    }
    StandIn::PutFile(path, bytes);
    parsed.Valid = readsBack;
}

static IniSection *FindSection(IniFile &ini, const char *name)
{
    for (IniSection &section : ini)
        if (section.Named && SameName(section.Name, name))
            return &section;
    return NULL;
}

static IniKey *FindKey(IniSection *section, const char *name)
{
    if (section)
        for (IniKey &key : section->Keys)
            if (SameName(key.Name, name))
                return &key;
    return NULL;
}

/*
 * The value of a key up to its first zero byte, or the fallback (less its
 * trailing blanks) when the key is missing.  Listing sections or keys (a
 * NULL section or key) is not provided: the plug-in never asks for it.
 */
DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR fallback, LPSTR buffer, DWORD size, LPCSTR file)
{
    TouchLast(buffer, size);
    if (size == 0)
        return 0;
    std::string value;
    IniKey *found = section && key ? FindKey(FindSection(ReadIni(file).Ini, section), key) : NULL;
    if (found)
        value = found->Value.c_str();
    else if (fallback)
        value = Trimmed(fallback);
    size_t length = value.size() < size - 1 ? value.size() : size - 1;
    memcpy(buffer, value.data(), length);
    buffer[length] = '\0';
    return (DWORD)length;
}

/*
 * A number as the platform's integer conversion reads it: leading blanks
 * and one sign, then "0x", "0o" or "0b" for hexadecimal, octal or binary,
 * else decimal; the digits up to the first other character, wrapping
 * modulo 2^32.  No digits read as 0.
 */
static UINT ProfileNumber(const char *text)
{
    while (*text && (unsigned char)*text <= ' ')
        ++text;
    bool negative = false;
    if (*text == '-' || *text == '+')
        negative = *text++ == '-';
    unsigned base = 10;
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'o' || text[1] == 'b')) {
        base = text[1] == 'x' ? 16 : text[1] == 'o' ? 8 : 2;
        text += 2;
    }
    UINT number = 0;
    for (;; ++text) {
        unsigned digit;
        if (*text >= '0' && *text <= '9')
            digit = (unsigned)(*text - '0');
        else if (*text >= 'a' && *text <= 'f')
            digit = (unsigned)(*text - 'a' + 10);
        else if (*text >= 'A' && *text <= 'F')
            digit = (unsigned)(*text - 'A' + 10);
        else
            break;
        if (digit >= base)
            break;
        number = number * base + digit;
    }
    return negative ? 0u - number : number;
}

/* A missing key, or one with an empty value, gives the fallback. */
UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT fallback, LPCSTR file)
{
    IniKey *found = section && key ? FindKey(FindSection(ReadIni(file).Ini, section), key) : NULL;
    if (!found || !found->Value.c_str()[0])
        return (UINT)fallback;
    return ProfileNumber(found->Value.c_str());
}

/*
 * Sets a key: an existing entry keeps its place and its spelling, a new key
 * goes to the end of its section, a new section to the end of the file.  A
 * NULL value removes the key, a NULL key the whole section.
 */
BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR file)
{
    if (!section)
        return Fail(ERROR_INVALID_PARAMETER);
    ParsedIni &parsed = ReadIni(file);
    IniFile &ini = parsed.Ini;
    IniSection *found = FindSection(ini, section);
    bool readsBack = true;
    if (!key) {
        if (found)
            ini.erase(ini.begin() + (found - ini.data()));
    } else if (!value) {
        IniKey *entry = FindKey(found, key);
        if (entry)
            found->Keys.erase(found->Keys.begin() + (entry - found->Keys.data()));
    } else {
        readsBack = ReadsBack(value, "\r\n");
        if (!found) {
            readsBack = readsBack && ReadsBack(section, "\r\n[]");
            ini.push_back(IniSection{true, section, {}});
            found = &ini.back();
        }
        IniKey *entry = FindKey(found, key);
        if (entry) {
            entry->HasValue = true;
            entry->Value = value;
        } else {
            readsBack = readsBack && ReadsBack(key, "\r\n[]=");
            found->Keys.push_back(IniKey{key, true, value});
        }
    }
    WriteIni(file, parsed, readsBack);
    return TRUE;
}

/* ---- bounded text --------------------------------------------------------- */

HRESULT StringCchPrintfA(LPSTR pszDest, size_t cchDest, LPCSTR pszFormat, ...)
{
    if (cchDest == 0 || cchDest > STRSAFE_MAX_CCH)
        return STRSAFE_E_INVALID_PARAMETER;
    TouchLast(pszDest, cchDest);
    va_list arguments;
    va_start(arguments, pszFormat);
    int length = vsnprintf(pszDest, cchDest, pszFormat, arguments);
    va_end(arguments);
    if (length < 0) {
        pszDest[0] = '\0';
        return STRSAFE_E_INVALID_PARAMETER;
    }
    return (size_t)length < cchDest ? S_OK : STRSAFE_E_INSUFFICIENT_BUFFER;
}

/* Copies at most cchToCopy characters of the source, which is never read further. */
HRESULT StringCchCopyNA(LPSTR pszDest, size_t cchDest, LPCSTR pszSrc, size_t cchToCopy)
{
    if (cchDest == 0 || cchDest > STRSAFE_MAX_CCH || cchToCopy > STRSAFE_MAX_CCH)
        return STRSAFE_E_INVALID_PARAMETER;
    TouchLast(pszDest, cchDest);
    size_t copied = 0;
    while (copied < cchDest && copied < cchToCopy && pszSrc[copied]) {
        pszDest[copied] = pszSrc[copied];
        ++copied;
    }
    if (copied == cchDest) {
        pszDest[cchDest - 1] = '\0';
        return STRSAFE_E_INSUFFICIENT_BUFFER;
    }
    pszDest[copied] = '\0';
    return S_OK;
}

HRESULT StringCchCopyA(LPSTR pszDest, size_t cchDest, LPCSTR pszSrc)
{
    return StringCchCopyNA(pszDest, cchDest, pszSrc, STRSAFE_MAX_CCH);
}

/* ---- code pages ----------------------------------------------------------- */

/*
 * Lead bytes of the double-byte code pages; the single-byte ones (1252, the
 * stand-in's own system code page) have none.  An unknown code page is
 * refused, as the platform does.
 */
BOOL IsDBCSLeadByteEx(UINT codePage, BYTE byte)
{
    switch (codePage) {
    case CP_ACP:
    case 1252:
        return FALSE;
    case 932:
        return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    case 936:
    case 949:
    case 950:
        return byte >= 0x81 && byte <= 0xFE;
    default:
        return Fail(ERROR_INVALID_PARAMETER);
    }
}

BOOL IsDBCSLeadByte(BYTE byte) { return IsDBCSLeadByteEx(CP_ACP, byte); }

/*
 * The conversions, with the platform's counting and refusals but not its
 * tables: a single byte is the character of the same number; a lead byte
 * and its trail byte are one character of the private-use area; a lead
 * byte without a trail byte is "?".  Back, a character of the private-use
 * area is two bytes where the code page has lead bytes, any other character
 * the code page cannot hold is "?".  Lengths count the terminator when the
 * text's length is given as -1; a buffer too small fails with
 * ERROR_INSUFFICIENT_BUFFER.
 */
int MultiByteToWideChar(UINT codePage, DWORD, LPCSTR text, int length, wchar_t *out, int size)
{
    size_t count = length < 0 ? strlen(text) + 1 : (size_t)length;
    int units = 0;
    for (size_t i = 0; i < count; ++i, ++units) {
        BYTE byte = (BYTE)text[i];
        wchar_t unit = byte;
        if (IsDBCSLeadByteEx(codePage, byte)) {
            if (i + 1 < count && text[i + 1]) {
                unit = (wchar_t)(0xE000 + ((byte << 8 | (BYTE)text[i + 1]) % 0x1900));
                ++i;
            } else {
                unit = L'?';
            }
        }
        if (size > 0) {
            if (units >= size)
                return Fail(ERROR_INSUFFICIENT_BUFFER);
            out[units] = unit;
        }
    }
    return units;
}

int WideCharToMultiByte(UINT codePage, DWORD, const wchar_t *text, int length, LPSTR out, int size, LPCSTR,
                        BOOL *usedDefault)
{
    size_t count = length < 0 ? wcslen(text) + 1 : (size_t)length;
    bool doubleByte = IsDBCSLeadByteEx(codePage, 0x81) != FALSE;
    int bytes = 0;
    if (usedDefault)
        *usedDefault = FALSE;
    for (size_t i = 0; i < count; ++i) {
        unsigned unit = (unsigned)text[i];
        char piece[2];
        int pieceLength = 1;
        if (unit < (doubleByte ? 0x80u : 0x100u)) {
            piece[0] = (char)unit;
        } else if (doubleByte && unit >= 0xE000 && unit < 0xE000 + 0x1900) {
            piece[0] = (char)0x81;
            piece[1] = (char)(0x40 + (unit & 0x3F));
            pieceLength = 2;
        } else {
            piece[0] = '?';
            if (usedDefault)
                *usedDefault = TRUE;
        }
        if (size > 0) {
            if (bytes + pieceLength > size)
                return Fail(ERROR_INSUFFICIENT_BUFFER);
            memcpy(out + bytes, piece, (size_t)pieceLength);
        }
        bytes += pieceLength;
    }
    return bytes;
}

/* ---- stubs: referenced by the compiled files, not exercised -------------- */

HGLOBAL GlobalAlloc(UINT, SIZE_T bytes) { return malloc(bytes ? bytes : 1); }

HGLOBAL GlobalFree(HGLOBAL memory)
{
    free(memory);
    return NULL;
}

void GetLocalTime(LPSYSTEMTIME time)
{
    static const SYSTEMTIME Fixed = {2026, 3, 6, 7, 6, 5, 9, 0};
    *time = Fixed;
}

void OutputDebugStringA(LPCSTR) {}

int MessageBoxA(HWND, LPCSTR, LPCSTR, UINT) { return IDOK; }

/* ---- the process heap: the C library's ---------------------------------- */

HANDLE GetProcessHeap(void)
{
    static int heap;
    return &heap;
}

LPVOID HeapAlloc(HANDLE, DWORD, SIZE_T bytes) { return malloc(bytes ? bytes : 1); }
LPVOID HeapReAlloc(HANDLE, DWORD, LPVOID memory, SIZE_T bytes) { return realloc(memory, bytes ? bytes : 1); }

BOOL HeapFree(HANDLE, DWORD, LPVOID memory)
{
    free(memory);
    return TRUE;
}
