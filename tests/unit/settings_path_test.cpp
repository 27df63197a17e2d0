/*
 * MakeSettingsPath: "plugin.ini" in the directory of the module's file name,
 * the backslash kept; the bare name without a directory; nothing at all when
 * the result would not fit in a path buffer.
 */
#include "kestrune.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

struct SettingsPathCase {
    const char *Label;
    std::string ModuleFileName;
    std::string Expected;
};

/* A directory of the given length with a trailing backslash: "C:\" and 'd's. */
std::string Directory(size_t length) { return "C:\\" + std::string(length - 4, 'd') + "\\"; }

TEST(MakeSettingsPath, CasesTable)
{
    const SettingsPathCase cases[] = {
        {"normal path", "C:\\Player\\Plugins\\gen_Kestrune.dll", "C:\\Player\\Plugins\\plugin.ini"},
        {"drive root", "C:\\gen_Kestrune.dll", "C:\\plugin.ini"},
        {"no backslash", "gen_Kestrune.dll", "plugin.ini"},
        {"empty name", "", "plugin.ini"},
        {"forward slashes are no directory", "C:/Player/gen_Kestrune.dll", "plugin.ini"},
        {"trailing backslash", "C:\\Player\\", "C:\\Player\\plugin.ini"},
        /* 249 + 10 characters = 259: the longest path that fits with its terminator. */
        {"just fits", Directory(249) + "gen_K.dll", Directory(249) + "plugin.ini"},
        /* 250 + 10 = 260 characters would need 261 bytes: no path rather than a cut one. */
        {"one too long", Directory(250) + "gen_K.dll", ""},
        {"far too long", Directory(1000) + "gen_Kestrune.dll", ""},
    };
    for (const SettingsPathCase &c : cases) {
        char path[PATH_SIZE];
        memset(path, 'x', sizeof path);
        MakeSettingsPath(c.ModuleFileName.c_str(), path);
        EXPECT_EQ(std::string(path), c.Expected) << c.Label;
        EXPECT_LT(strnlen(path, sizeof path), sizeof path) << c.Label << ": not terminated inside the buffer";
    }
}

} // namespace
