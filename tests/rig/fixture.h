/*
 * The fixture of the end-to-end tests: a fresh test folder, the stand-in
 * player's window, and the real gen_Kestrune.dll copied into the folder's
 * Plugins subfolder (so plugin.ini lands there) and run by the player.
 *
 * The DLL is the one the build names (KESTRUNE_DLL_UNDER_TEST): the x86_64
 * build's own twin, or in the i686 build the shipped file itself.
 */
#ifndef KESTRUNE_FIXTURE_H
#define KESTRUNE_FIXTURE_H

#include <gtest/gtest.h>

#include "player/player.h"
#include "res/resource.h"
#include "tests/rig/rig.h"

class PluginTest : public ::testing::Test
{
  protected:
    /*
     * Empties the test folder, creates the player window, resets the rig.
     * The player is an old one (version 0), which gets only the plug-in's
     * oldest messages; a test of a newer player sets Player().Version
     * before StartPlugin.
     */
    void SetUp() override;
    void TearDown() override; /* stops the plug-in if it runs, destroys the window */

    /* <exe folder>\tmp\<Suite>.<Test>\ , created empty for each test. */
    std::string Folder() const { return folder_; }
    std::string Path(const std::string &name) const { return folder_ + name; }
    /* Folder() + "Plugins\\" */
    std::string PluginsFolder() const { return folder_ + "Plugins\\"; }
    /*
     * Writes Plugins\plugin.ini: "[Vellacord_Tovk]\r\n" followed by lines.
     * SetUp writes none, and AlwaysConfigureOnLaunch defaults to on: a test
     * that does not want the configuration dialog at init writes
     * "AlwaysConfigureOnLaunch=0\r\n".
     */
    void WriteSettings(const std::string &lines);

    /*
     * Copies the DLL into PluginsFolder() (as fileName), loads it, attaches
     * the rig and calls init.  Returns init's result.
     */
    int StartPlugin(const std::string &fileName = "gen_Kestrune.dll");
    /*
     * The same for any folder (created when missing): the DLL is copied there
     * as fileName.  An empty fileName loads the DLL already there, as a
     * player that starts a plug-in again after quit (a pinned DLL's file
     * cannot be replaced).
     */
    int StartPluginIn(const std::string &folder, const std::string &fileName);
    /* Calls quit, unloads the DLL and pumps the player's messages. */
    void StopPlugin();
    bool Running() const { return running_; }

    /* Sends a WM_COMMAND with the number as the whole wParam to the player's window. */
    LRESULT Command(WPARAM command);
    /* The real gen_Kestrune.dll under test, as the build names it. */
    static std::string DllPath();
    /* Whether that is the shipped 32-bit DLL (the i686 build) rather than this build's own. */
    static bool TestsShippedDll() { return KESTRUNE_TESTS_SHIPPED_DLL != 0; }

    /* Sets the player's playlist to these file names (titles "Title of <file>") and the position. */
    void SetPlaylist(const std::vector<std::string> &files, int position = 0);

  private:
    std::string folder_;
    bool running_ = false;
};

/*
 * Skip the rest of a test where this system lacks what it needs, and say
 * why (the self-checks of rig.h): an icon handle made from a resource;
 * drawing or reading pixels, or an image list; a non-empty text in an edit
 * control, a combo box, or the platform's font, colour or Save As dialog.
 * Put one at the top of a test that needs it (or in the SetUp of a
 * parameterised test's cases that need it), and keep what runs without it
 * in a test of its own, so that it still runs on every build.
 */
#define SKIP_WITHOUT_ICON_RESOURCES()                                                                                  \
    if (!rig::IconResourcesLoad())                                                                                     \
    GTEST_SKIP() << rig::IconResourcesFailure()
#define SKIP_WITHOUT_DRAWING()                                                                                         \
    if (!rig::DrawingWorks())                                                                                          \
    GTEST_SKIP() << rig::DrawingFailure()
#define SKIP_WITHOUT_OBJECT_DELETION()                                                                                 \
    if (!rig::ObjectsDelete())                                                                                         \
    GTEST_SKIP() << rig::ObjectDeletionFailure()
#define SKIP_WITHOUT_TEXT_MEASURING()                                                                                  \
    if (!rig::TextMeasures())                                                                                          \
    GTEST_SKIP() << rig::TextMeasuringFailure()

#endif
