/*
 * The dated names for any folder or master playlist name and any time
 * fields: the name is terminated within its 260 bytes; an accepted name has
 * exactly the shape "<folder>\<stamp>.m3u", or the master's name with
 * "-<stamp>" put before its last "."; a name that would not fit (or a
 * master without a ".") is refused and left empty.
 */
#include "fuzz_check.h"
#include "kestrune.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const bool backup = input.ConsumeBool();
    SYSTEMTIME time;
    for (WORD *field : {&time.wYear, &time.wMonth, &time.wDayOfWeek, &time.wDay, &time.wHour, &time.wMinute,
                        &time.wSecond, &time.wMilliseconds})
        *field = input.ConsumeIntegral<WORD>();
    std::string given = input.ConsumeRemainingBytesAsString();
    given = given.c_str();
    char *text = new char[given.size() + 1];
    memcpy(text, given.c_str(), given.size() + 1);

    char stamp[64];
    snprintf(stamp, sizeof stamp, "%04u%02u%02u%02u%02u%02u", time.wYear, time.wMonth, time.wDay, time.wHour,
             time.wMinute, time.wSecond);
    std::string expected;
    const size_t dot = given.rfind('.');
    if (!backup)
        expected = given + "\\" + stamp + ".m3u";
    else if (dot != std::string::npos)
        expected = given.substr(0, dot) + "-" + stamp + given.substr(dot);

    char *name = new char[PATH_SIZE];
    memset(name, 'Z', PATH_SIZE);
    bool made = backup ? MakeBackupName(text, &time, name) : MakeSnapShotName(text, &time, name);
    FUZZ_CHECK(memchr(name, 0, PATH_SIZE) != NULL);
    if (!expected.empty() && expected.size() < PATH_SIZE)
        FUZZ_CHECK(made && expected == name);
    else
        FUZZ_CHECK(!made && name[0] == '\0');
    delete[] name;
    delete[] text;
    return 0;
}
