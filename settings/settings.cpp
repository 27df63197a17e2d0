/*
 * The settings store: the one static Settings record and its persistence in
 * section "Vellacord_Tovk" of plugin.ini (SettingsPath: beside the DLL, or
 * in the player's settings folder where the DLL's folder cannot be
 * written; plugin/lifecycle.cpp chooses).
 *
 * LoadSettings runs once at init on the zero record, SaveSettings once at
 * quit; between the two the record in memory is the only copy that counts.
 * Both go through the system's private-profile functions, which match
 * section and key names without regard to case, replace an existing key in
 * place and append a new key to the end of its section.
 */
#include "kestrune.h"

#include <string.h>
#include <strsafe.h>

SettingsRecord Settings;

static const char SettingsSection[] = "Vellacord_Tovk";

/* A font description is read into and formatted in a buffer of this size. */
enum { DESCRIPTION_SIZE = 4096, DESCRIPTION_FIELDS = 13, DESCRIPTION_LONG_FIELDS = 5 };

/*
 * The keys of one marquee line style.  The description is asked for in
 * upper case on load and written in mixed case on save; since keys are
 * matched without regard to case both spellings name the same entry, and an
 * existing entry keeps the spelling it has in the file.
 */
struct LineStyleKeys {
    MarqueeLineStyle SettingsRecord::*Style;
    const char *Foreground;
    const char *LoadDescription;
    const char *SaveDescription;
    const char *FaceName;
    const char *Display;
};

static const LineStyleKeys LineStyles[] = {
    {&SettingsRecord::Title, "MarqueeForeground_Title", "FONT_Title_Description", "Font_Title_Description",
     "FONT_Title_FaceName", "FONT_Title_Display"},
    {&SettingsRecord::Artist, "MarqueeForeground_Artist", "FONT_Artist_Description", "Font_Artist_Description",
     "FONT_Artist_FaceName", "FONT_Artist_Display"},
    {&SettingsRecord::Album, "MarqueeForeground_Album", "FONT_Album_Description", "Font_Album_Description",
     "FONT_Album_FaceName", "FONT_Album_Display"},
    {&SettingsRecord::Time, "MarqueeForeground_Time", "FONT_TIME_Description", "Font_Time_Description",
     "FONT_Time_FaceName", "FONT_Time_Display"},
};
enum { LINE_STYLE_COUNT = sizeof LineStyles / sizeof LineStyles[0] };

/* ---- font descriptions ---------------------------------------------------- */

static bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

/*
 * Reads one optionally signed decimal number at *text, after any blanks,
 * and moves *text past it.  False, with *text unchanged, when no digit
 * follows the blanks and the sign.
 *
 * A number too long for 32 bits wraps around modulo 2^32, as the system's
 * own integer conversion of profile values does ("4294967295" reads as -1):
 * the digits are gathered in an unsigned 32-bit value, whose arithmetic is
 * defined to wrap, so no length of digits can overflow anything.  A byte
 * field then still takes the low 8 bits of the number as written.
 */
static bool ReadDescriptionNumber(const char **text, unsigned *value)
{
    const char *p = *text;
    while (IsBlank(*p))
        ++p;
    bool negative = false;
    if (*p == '-' || *p == '+')
        negative = *p++ == '-';
    if (*p < '0' || *p > '9')
        return false;
    unsigned number = 0;
    for (; *p >= '0' && *p <= '9'; ++p)
        number = number * 10u + (unsigned)(*p - '0');
    *value = negative ? 0u - number : number;
    *text = p;
    return true;
}

/*
 * Stores the index-th description field: the five 32-bit fields take the
 * number as a signed value, the eight byte fields its low 8 bits.
 */
static void StoreDescriptionField(LOGFONTA *font, int index, unsigned value)
{
    LONG *const longFields[DESCRIPTION_LONG_FIELDS] = {&font->lfHeight, &font->lfWidth, &font->lfEscapement,
                                                       &font->lfOrientation, &font->lfWeight};
    BYTE *const byteFields[DESCRIPTION_FIELDS - DESCRIPTION_LONG_FIELDS] = {
        &font->lfItalic,       &font->lfUnderline,     &font->lfStrikeOut, &font->lfCharSet,
        &font->lfOutPrecision, &font->lfClipPrecision, &font->lfQuality,   &font->lfPitchAndFamily};
    if (index < DESCRIPTION_LONG_FIELDS)
        *longFields[index] = (LONG)(int)value;
    else
        *byteFields[index - DESCRIPTION_LONG_FIELDS] = (BYTE)(value & 0xFFu);
}

/*
 * Parses up to 13 numbers joined by ':' into the non-face fields of font,
 * in the order height, width, escapement, orientation, weight, italic,
 * underline, strike-out, character set, output precision, clip precision,
 * quality, pitch and family.  Parsing stops at the first place where a
 * number or a ':' is expected and not found (blanks are allowed only before
 * a number): the fields read so far keep their new values, the others their
 * old ones.  Whatever follows the thirteenth number is ignored.
 */
void ParseFontDescription(const char *text, LOGFONTA *font)
{
    for (int index = 0; index < DESCRIPTION_FIELDS; ++index) {
        if (index > 0) {
            if (*text != ':')
                return;
            ++text;
        }
        unsigned value;
        if (!ReadDescriptionNumber(&text, &value))
            return;
        StoreDescriptionField(font, index, value);
    }
}

/* ---- reading -------------------------------------------------------------- */

/* The file LoadSettingsFrom reads; SettingsPath for LoadSettings. */
static const char *ReadPath = SettingsPath;

/*
 * With an empty path no file is read at all: every key counts as missing,
 * so the record takes exactly the defaults of a first start.
 */
static void ReadText(const char *key, char *buffer, DWORD size)
{
    buffer[0] = '\0';
    if (ReadPath[0])
        GetPrivateProfileStringA(SettingsSection, key, "", buffer, size, ReadPath);
}

/* The same with a value for a key the file does not hold; a key present but empty stays empty. */
static void ReadTextOr(const char *key, const char *fallback, char *buffer, DWORD size)
{
    if (!ReadPath[0]) {
        StringCchCopyA(buffer, size, fallback);
        return;
    }
    GetPrivateProfileStringA(SettingsSection, key, fallback, buffer, size, ReadPath);
}

static UINT ReadNumber(const char *key, UINT fallback)
{
    if (!ReadPath[0])
        return fallback;
    return GetPrivateProfileIntA(SettingsSection, key, (INT)fallback, ReadPath);
}

static void ReadSwitch(const char *key, int *field, int fallback) { *field = (int)ReadNumber(key, (UINT)fallback); }

/* Description, face name, display switch and text colour of one line. */
static void ReadLineStyle(const LineStyleKeys *keys)
{
    MarqueeLineStyle *style = &(Settings.*keys->Style);
    char description[DESCRIPTION_SIZE];
    ReadText(keys->LoadDescription, description, sizeof description);
    ParseFontDescription(description, &style->Font);
    ReadText(keys->FaceName, style->Font.lfFaceName, sizeof style->Font.lfFaceName);
    ReadSwitch(keys->Display, &style->Display, style->Display);
    style->Foreground = ReadNumber(keys->Foreground, style->Foreground);
}

void LoadSettings(void) { LoadSettingsFrom(SettingsPath); }

/*
 * Fills Settings from the file at path.  Keys missing from the file take
 * their defaults: the use and record switches, AlwaysConfigureOnLaunch and
 * UseNowPlaying on, the clipboard switches and Zelt_Mode off, paths empty;
 * colours, display switches and font fields keep the values they hold.
 */
void LoadSettingsFrom(const char *path)
{
    ReadPath = path;
    for (int line = 0; line < LINE_STYLE_COUNT; ++line)
        ReadLineStyle(&LineStyles[line]);
    Settings.MarqueeBackground = ReadNumber("MarqueeBackground", Settings.MarqueeBackground);

    ReadText("SignatureFileName", Settings.SignatureFileName, sizeof Settings.SignatureFileName);
    ReadSwitch("UseSignature", &Settings.UseSignature, 1);
    ReadSwitch("RecordSignatureFileName", &Settings.RecordSignatureFileName, 1);
    ReadSwitch("RecordSignatureTitle", &Settings.RecordSignatureTitle, 1);
    ReadText("LogFileName", Settings.LogFileName, sizeof Settings.LogFileName);
    ReadSwitch("UseLog", &Settings.UseLog, 1);
    ReadSwitch("RecordLogFileName", &Settings.RecordLogFileName, 1);
    ReadSwitch("RecordLogTitle", &Settings.RecordLogTitle, 1);
    ReadText("M3UFileName", Settings.M3UFileName, sizeof Settings.M3UFileName);
    ReadSwitch("UseM3U", &Settings.UseM3U, 1);
    ReadText("SnapShotDirectory", Settings.SnapShotDirectory, sizeof Settings.SnapShotDirectory);
    ReadText("FavoritesDirectory", Settings.FavoritesDirectory, sizeof Settings.FavoritesDirectory);
    ReadSwitch("AutoClipboardCopyFileName", &Settings.AutoClipboardCopyFileName, 0);
    ReadSwitch("AutoClipboardCopyTitle", &Settings.AutoClipboardCopyTitle, 0);
    ReadSwitch("AlwaysConfigureOnLaunch", &Settings.AlwaysConfigureOnLaunch, 1);
    ReadSwitch("Zelt_Mode", &Settings.Zelt_Mode, 0);
    ReadSwitch("UseNowPlaying", &Settings.UseNowPlaying, 1);
    ReadSwitch("UseUTF8", &Settings.UseUTF8, 0);
    ReadText("StreamTextFileName", Settings.StreamTextFileName, sizeof Settings.StreamTextFileName);
    ReadTextOr("StreamTemplate", "[%artist% - ]%title%", Settings.StreamTemplate, sizeof Settings.StreamTemplate);
    ReadTextOr("StreamPausedTemplate", "[%artist% - ]%title% (paused)", Settings.StreamPausedTemplate,
               sizeof Settings.StreamPausedTemplate);
    ReadText("StreamStoppedText", Settings.StreamStoppedText, sizeof Settings.StreamStoppedText);
    ReadText("StreamCoverFileName", Settings.StreamCoverFileName, sizeof Settings.StreamCoverFileName);
    int coverSize = (int)ReadNumber("StreamCoverSize", 500);
    Settings.StreamCoverSize = coverSize >= 1 && coverSize <= STREAM_COVER_SIZE_MAX ? coverSize : 500;
    ReadPath = SettingsPath;
}

/* ---- writing -------------------------------------------------------------- */

/*
 * The error of the first key SaveSettings could not write; 0 while every
 * write succeeded.
 */
static DWORD SaveError;

/* Writes one key; a failure is kept for SaveSettings to report. */
static void WriteText(const char *key, const char *value)
{
    if (!WritePrivateProfileStringA(SettingsSection, key, value, SettingsPath) && !SaveError)
        SaveError = GetLastError() ? GetLastError() : ERROR_WRITE_FAULT;
}

/* An empty path is never written: the file keeps what it holds for the key. */
static void WritePath(const char *key, const char *path)
{
    if (path[0])
        WriteText(key, path);
}

/*
 * A stream text exactly as it is, empty included (an emptied file name
 * switches its output off for good).  The file's reader drops blanks at
 * either end and one pair of quotes around a value, so a text with such
 * blanks or quotes is written inside quotes of its own.
 */
static void WriteStreamText(const char *key, const char *text)
{
    size_t length = strlen(text);
    bool blankEnds =
        length > 0 && (text[0] == ' ' || text[0] == '\t' || text[length - 1] == ' ' || text[length - 1] == '\t');
    bool quoted = length > 1 && (text[0] == '"' || text[0] == '\'') && text[length - 1] == text[0];
    if (!blankEnds && !quoted) {
        WriteText(key, text);
        return;
    }
    char value[STREAM_TEMPLATE_SIZE + 2];
    StringCchPrintfA(value, sizeof value, "\"%s\"", text);
    WriteText(key, value);
}

static void WriteSwitch(const char *key, int value) { WriteText(key, value ? "1" : "0"); }

static void WriteColour(const char *key, COLORREF colour)
{
    char text[16];
    StringCchPrintfA(text, sizeof text, "%u", (unsigned)colour);
    WriteText(key, text);
}

/* The 13 non-face fields of a font, joined by ':'; byte fields as 0 to 255. */
static void WriteDescription(const char *key, const LOGFONTA *font)
{
    char description[DESCRIPTION_SIZE];
    StringCchPrintfA(description, sizeof description, "%d:%d:%d:%d:%d:%d:%d:%d:%d:%d:%d:%d:%d", (int)font->lfHeight,
                     (int)font->lfWidth, (int)font->lfEscapement, (int)font->lfOrientation, (int)font->lfWeight,
                     font->lfItalic, font->lfUnderline, font->lfStrikeOut, font->lfCharSet, font->lfOutPrecision,
                     font->lfClipPrecision, font->lfQuality, font->lfPitchAndFamily);
    WriteText(key, description);
}

/* Colour, description, face name (always, even empty) and display switch. */
static void WriteLineStyle(const LineStyleKeys *keys)
{
    const MarqueeLineStyle *style = &(Settings.*keys->Style);
    WriteColour(keys->Foreground, style->Foreground);
    WriteDescription(keys->SaveDescription, &style->Font);
    /* The face name is written through a terminated copy: a picker fills it in place. */
    char faceName[LF_FACESIZE];
    StringCchCopyNA(faceName, sizeof faceName, style->Font.lfFaceName, sizeof style->Font.lfFaceName);
    WriteText(keys->FaceName, faceName);
    WriteSwitch(keys->Display, style->Display);
}

/*
 * Writes the 41 keys in the order in which a new file lists them.  With an
 * empty SettingsPath (the DLL's folder was too long for a full path of
 * plugin.ini) nothing is written anywhere.  Returns the system's error of
 * the first key that could not be written, 0 when all were.
 */
DWORD SaveSettings(void)
{
    if (!SettingsPath[0])
        return 0;
    SaveError = 0;
    WritePath("SignatureFileName", Settings.SignatureFileName);
    WriteSwitch("UseSignature", Settings.UseSignature);
    WriteSwitch("RecordSignatureFileName", Settings.RecordSignatureFileName);
    WriteSwitch("RecordSignatureTitle", Settings.RecordSignatureTitle);
    WritePath("LogFileName", Settings.LogFileName);
    WriteSwitch("UseLog", Settings.UseLog);
    WriteSwitch("RecordLogFileName", Settings.RecordLogFileName);
    WriteSwitch("RecordLogTitle", Settings.RecordLogTitle);
    WritePath("M3UFileName", Settings.M3UFileName);
    WriteSwitch("UseM3U", Settings.UseM3U);
    WriteSwitch("AutoClipboardCopyFileName", Settings.AutoClipboardCopyFileName);
    WriteSwitch("AutoClipboardCopyTitle", Settings.AutoClipboardCopyTitle);
    WriteSwitch("AlwaysConfigureOnLaunch", Settings.AlwaysConfigureOnLaunch);
    WriteSwitch("Zelt_Mode", Settings.Zelt_Mode);
    WriteColour("MarqueeBackground", Settings.MarqueeBackground);
    for (int line = 0; line < LINE_STYLE_COUNT; ++line)
        WriteLineStyle(&LineStyles[line]);
    WritePath("FavoritesDirectory", Settings.FavoritesDirectory);
    WriteSwitch("UseNowPlaying", Settings.UseNowPlaying);
    WritePath("SnapShotDirectory", Settings.SnapShotDirectory);
    WriteSwitch("UseUTF8", Settings.UseUTF8);
    WriteStreamText("StreamTextFileName", Settings.StreamTextFileName);
    WriteStreamText("StreamTemplate", Settings.StreamTemplate);
    WriteStreamText("StreamPausedTemplate", Settings.StreamPausedTemplate);
    WriteStreamText("StreamStoppedText", Settings.StreamStoppedText);
    WriteStreamText("StreamCoverFileName", Settings.StreamCoverFileName);
    char coverSize[16];
    StringCchPrintfA(coverSize, sizeof coverSize, "%d", Settings.StreamCoverSize);
    WriteText("StreamCoverSize", coverSize);
    return SaveError;
}

/*
 * The master playlist's name alone, as SaveSettings writes it: the
 * configuration dialog's OK stores it at once rather than at quit.
 */
void SaveM3UFileName(void)
{
    if (SettingsPath[0])
        WritePath("M3UFileName", Settings.M3UFileName);
}
