/*
 * plugin.ini loading from any file content, then the round trip: every text
 * of the record loaded is terminated within its field, and saving it
 *  - to a fresh file and loading that, and
 *  - into the same file, as quit does, and loading it again
 * gives the same record.  A record that came through the file once comes
 * back from a second save and load exactly.
 *
 * Two differences are the file format's, not faults: a switch is saved as
 * "1" or "0", so only whether it is on must survive; and a text cut to its
 * field, or at a zero byte in the file, may end in blanks (or tabs), which
 * the file drops around every value.
 */
#include "fuzz_check.h"
#include "kestrune.h"
#include "memory_files.h"

#include <string>
#include <vector>

static const char Original[] = "C:\\Player\\Plugins\\plugin.ini";
static const char Fresh[] = "C:\\Player\\Plugins\\fresh.ini";
static const char Again[] = "C:\\Player\\Plugins\\again.ini";

struct TextField {
    char *Text;
    size_t Size;
};

/* The texts of a record: the five paths and the four face names. */
static std::vector<TextField> TextsOf(SettingsRecord *record)
{
    std::vector<TextField> texts = {{record->SignatureFileName, sizeof record->SignatureFileName},
                                    {record->LogFileName, sizeof record->LogFileName},
                                    {record->M3UFileName, sizeof record->M3UFileName},
                                    {record->SnapShotDirectory, sizeof record->SnapShotDirectory},
                                    {record->FavoritesDirectory, sizeof record->FavoritesDirectory}};
    for (MarqueeLineStyle *style : {&record->Title, &record->Artist, &record->Album, &record->Time})
        texts.push_back({style->Font.lfFaceName, sizeof style->Font.lfFaceName});
    return texts;
}

/* The bytes the file drops around a value. */
static bool IsBlank(char c) { return c && strchr(" \t\v\f\x1A", c); }

/* Switches as on or off, and texts less their trailing blanks. */
static SettingsRecord Normalised(const SettingsRecord &loaded)
{
    SettingsRecord record;
    memcpy(&record, &loaded, sizeof record);
    for (int *field : {&record.UseSignature, &record.RecordSignatureFileName, &record.RecordSignatureTitle,
                       &record.UseLog, &record.RecordLogFileName, &record.RecordLogTitle, &record.UseM3U,
                       &record.UseNowPlaying, &record.AutoClipboardCopyFileName, &record.AutoClipboardCopyTitle,
                       &record.AlwaysConfigureOnLaunch, &record.Zelt_Mode, &record.Title.Display,
                       &record.Artist.Display, &record.Album.Display, &record.Time.Display})
        *field = *field != 0;
    for (TextField text : TextsOf(&record))
        for (size_t length = strlen(text.Text); length > 0 && IsBlank(text.Text[length - 1]);)
            text.Text[--length] = '\0';
    return record;
}

static SettingsRecord LoadFrom(const char *path)
{
    strcpy(SettingsPath, path);
    memset(&Settings, 0, sizeof Settings);
    LoadSettings();
    SettingsRecord loaded;
    memcpy(&loaded, &Settings, sizeof loaded);
    return loaded;
}

static void SaveTo(const char *path, const SettingsRecord &record)
{
    strcpy(SettingsPath, path);
    memcpy(&Settings, &record, sizeof Settings);
    SaveSettings();
}

static bool SameRecords(const SettingsRecord &a, const SettingsRecord &b)
{
    SettingsRecord left = Normalised(a), right = Normalised(b);
    return memcmp(&left, &right, sizeof left) == 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    StandIn::ClearFiles();
    StandIn::PutFile(Original, std::string((const char *)data, size));
    SettingsRecord first = LoadFrom(Original);
    for (TextField text : TextsOf(&first))
        FUZZ_CHECK(memchr(text.Text, 0, text.Size) != NULL);

    SaveTo(Fresh, first);
    SettingsRecord fresh = LoadFrom(Fresh);
    FUZZ_CHECK(SameRecords(first, fresh));

    SaveTo(Again, fresh);
    SettingsRecord again = LoadFrom(Again);
    FUZZ_CHECK(memcmp(&again, &fresh, sizeof fresh) == 0);

    SaveTo(Original, first);
    FUZZ_CHECK(SameRecords(first, LoadFrom(Original)));
    return 0;
}
