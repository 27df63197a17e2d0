/*
 * Shared by the demo's two files: demo.cpp runs the player and prints what
 * the plug-in does, demo_windows.cpp shows each of the plug-in's windows at
 * work and takes its screenshot.
 */
#ifndef KESTRUNE_DEMO_H
#define KESTRUNE_DEMO_H

#include <windows.h>

#include <string>

/* Prints the boxes and debugger output the plug-in produced since the last call. */
void PrintNewBoxesAndDebugOutput(void);

/*
 * Records that a window the demo should show did not appear or could not be
 * shot; the demo prints them at the end and exits with 1.
 */
void DemoFailed(const std::string &what);

/* The folder the screenshots (BMP files) go to, with a trailing backslash. */
extern std::string ScreenshotFolder;

/* The shown window of this class and caption (either may be NULL) that belongs to this thread; NULL when none. */
HWND FindShown(const char *className, const char *caption);

/* Writes <ScreenshotFolder><name>.bmp of a window as the screen shows it; a failure is recorded and printed. */
void Screenshot(HWND window, const char *name);
void ScreenshotOfRegion(RECT area, const char *name);

/*
 * The windows, each opened as the user opens it, shown at work, shot, and
 * closed again.  Where this system cannot draw, only the windows that work
 * without drawing are shown, and the others are named as skipped.
 */
void ShowConfigurationDialogAndPickers(void);
void ShowStreamOutputs(void);
void ShowNowPlayingDialogs(bool canDraw);
void ShowTrayMenu(bool canDraw);
void ShowCuePointTweaker(void);
void ShowMarquee(void);

#endif
