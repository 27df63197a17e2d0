/*
 * The stream outputs: a now-playing text filled from the user's template
 * and the current track's cover picture, each kept in a file that a
 * streaming program shows.  Both files are replaced in one step
 * (stream/replace.cpp).  The text is written when the track changes, when
 * the player pauses, resumes or stops (seen by the poll tick) and at quit,
 * never when it has not changed; the cover when the track changes.
 *
 * An output whose file name is empty is off and costs nothing: the tick
 * does not even ask the player's state.
 */
#include "kestrune.h"

#include <string.h>
#include <strsafe.h>

/* The player's state as the text shows it; NO_STATE before the first text. */
enum StreamState { NO_STATE = -1, STATE_STOPPED, STATE_PLAYING, STATE_PAUSED };

/*
 * The fields the track's texts do not hold, asked of the player at each
 * change while the text is on (each emptied first by the asking).
 */
static wchar_t AlbumArtist[TRACK_TEXT_SIZE], Year[TRACK_TEXT_SIZE], TrackNumber[TRACK_TEXT_SIZE],
    Genre[TRACK_TEXT_SIZE];

/* The state the due text was filled for, the due text, and the text the file holds. */
static int DueState = NO_STATE;
static wchar_t DueText[STREAM_TEXT_SIZE];
static wchar_t FileText[STREAM_TEXT_SIZE];
static bool FileHoldsText;
/* The due text, or the cover, is not in its file yet: the tick tries again. */
static bool TextPending, CoverPending;
/* The due text in UTF-8: at most three bytes a unit. */
static char TextBytes[3 * STREAM_TEXT_SIZE];

static bool TextOn(void) { return Settings.StreamTextFileName[0] != '\0'; }
static bool CoverOn(void) { return Settings.StreamCoverFileName[0] != '\0'; }

static int AskState(void)
{
    int status = GetPlayStatus();
    return status == HOST_STATUS_PLAYING ? STATE_PLAYING : status == HOST_STATUS_PAUSED ? STATE_PAUSED : STATE_STOPPED;
}

/* ---- the template's values -------------------------------------------------- */

/*
 * Year and track number from an ID3v1 tag, for a player that tells
 * neither: four bytes at 93, and the track at 126 behind a zero at 125.
 */
static void TakeTagNumbers(void)
{
    const unsigned char *block = NowPlaying.Tag.Block;
    if (memcmp(block, "TAG", 3) != 0)
        return;
    if (!Year[0]) {
        for (int i = 0; i < 4 && block[93 + i] >= '0' && block[93 + i] <= '9'; ++i)
            Year[i] = block[93 + i], Year[i + 1] = 0;
    }
    if (!TrackNumber[0] && block[125] == 0 && block[126] != 0)
        StringCchPrintfW(TrackNumber, TRACK_TEXT_SIZE, L"%u", (unsigned)block[126]);
}

static void AskExtraFields(void)
{
    struct Extra {
        const char *Name;
        wchar_t *Text;
    };
    static const Extra Extras[] = {
        {"albumartist", AlbumArtist}, {"year", Year}, {"track", TrackNumber}, {"genre", Genre}};
    for (const Extra &extra : Extras)
        AskFileMetadata(NowPlaying.FileNameW, NowPlaying.FileName, extra.Name, extra.Text, TRACK_TEXT_SIZE);
    TakeTagNumbers();
}

/* m:ss, or h:mm:ss from an hour on; empty for an unknown length. */
static void FormatLength(int seconds, wchar_t *text, size_t size)
{
    text[0] = L'\0';
    if (seconds <= 0)
        return;
    if (seconds >= 3600)
        StringCchPrintfW(text, size, L"%d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
    else
        StringCchPrintfW(text, size, L"%d:%02d", seconds / 60, seconds % 60);
}

static const wchar_t *NameWithoutFolder(const wchar_t *path)
{
    const wchar_t *name = path;
    for (const wchar_t *at = path; *at; ++at)
        if (*at == L'\\' || *at == L'/')
            name = at + 1;
    return name;
}

void FillStreamTemplateForTrack(const char *pattern, wchar_t *out, size_t size)
{
    const TrackTexts *texts = &NowPlaying.Texts;
    bool known = texts->Known && NowPlaying.TextsCurrent;
    wchar_t length[16], position[16], widePattern[STREAM_TEMPLATE_SIZE];
    FormatLength(NowPlaying.PlayLengthSeconds, length, 16);
    StringCchPrintfW(position, 16, L"%d", NowPlaying.ListPosition + 1);
    StreamValues values;
    values.Field[FIELD_ARTIST] = known ? texts->Artist : L"";
    values.Field[FIELD_TITLE] = known && texts->Title[0] ? texts->Title : NowPlaying.TitleW;
    values.Field[FIELD_ALBUM] = known ? texts->Album : L"";
    values.Field[FIELD_ALBUM_ARTIST] = AlbumArtist;
    values.Field[FIELD_YEAR] = Year;
    values.Field[FIELD_TRACK] = TrackNumber;
    values.Field[FIELD_GENRE] = Genre;
    values.Field[FIELD_COMMENT] = known ? texts->Comment : L"";
    values.Field[FIELD_FILE_NAME] = NameWithoutFolder(NowPlaying.FileNameW);
    values.Field[FIELD_PATH] = NowPlaying.FileNameW;
    values.Field[FIELD_LENGTH] = length;
    values.Field[FIELD_POSITION] = NowPlaying.FileNameW[0] ? position : L"";
    CodePageToWide(CP_ACP, pattern, widePattern, STREAM_TEMPLATE_SIZE);
    FillStreamTemplate(widePattern, &values, out, size);
}

/* ---- the text file ------------------------------------------------------------ */

/* The text due for a state: a template filled for the track, or the stopped text as it is. */
static void FillDueText(int state)
{
    DueState = state;
    if (state == STATE_STOPPED)
        CodePageToWide(CP_ACP, Settings.StreamStoppedText, DueText, STREAM_TEXT_SIZE);
    else
        FillStreamTemplateForTrack(state == STATE_PLAYING ? Settings.StreamTemplate : Settings.StreamPausedTemplate,
                                   DueText, STREAM_TEXT_SIZE);
    TextPending = !FileHoldsText || wcscmp(DueText, FileText) != 0;
}

/* Puts the due text in place; true once the file holds it. */
static bool PutDueText(void)
{
    wchar_t target[PATH_SIZE];
    CodePageToWide(CP_ACP, Settings.StreamTextFileName, target, PATH_SIZE);
    size_t size = EncodeUtf8(DueText, TextBytes, sizeof TextBytes);
    if (!ReplaceStreamFile(target, TextBytes, size))
        return false;
    StringCchCopyW(FileText, STREAM_TEXT_SIZE, DueText);
    FileHoldsText = true;
    return true;
}

/* The cover file's name, as the file functions take it (PATH_SIZE units). */
static void CoverTarget(wchar_t *target) { CodePageToWide(CP_ACP, Settings.StreamCoverFileName, target, PATH_SIZE); }

static void PutCover(void)
{
    wchar_t target[PATH_SIZE];
    CoverTarget(target);
    CoverPending = !WriteStreamCover(target, Settings.StreamCoverSize);
}

/* ---- the steps ------------------------------------------------------------------ */

void StreamTrackChanged(void)
{
    if (TextOn()) {
        AskExtraFields();
        FillDueText(AskState());
        if (TextPending)
            TextPending = !PutDueText();
    }
    if (CoverOn())
        PutCover();
}

void StreamTick(void)
{
    if (TextOn()) {
        int state = AskState();
        if (state != DueState)
            FillDueText(state);
        if (TextPending)
            TextPending = !PutDueText();
    }
    if (CoverPending) {
        wchar_t target[PATH_SIZE];
        CoverTarget(target);
        CoverPending = CoverOn() && !MoveStreamFile(target);
    }
}

/*
 * The window's OK: the files may have new names and the templates new
 * texts, so both outputs are made anew for the current track.
 */
void StreamSettingsChanged(void)
{
    FileHoldsText = false;
    DueState = NO_STATE;
    TextPending = CoverPending = false;
    if (NowPlaying.FileNameW[0])
        StreamTrackChanged();
}

/* Quit: the stopped text, once; a file that cannot be replaced now keeps what it shows. */
void StreamQuit(void)
{
    if (!TextOn())
        return;
    FillDueText(STATE_STOPPED);
    if (TextPending)
        PutDueText();
}
