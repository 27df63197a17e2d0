/*
 * Screenshots for the demo: what the screen shows in a rectangle, written
 * as a 24-bit BMP file (scripts/demo.sh turns them into PNG files).  The
 * virtual display has no window manager, so the screen's pixels are the
 * windows' own, and the window shot is the one on top there.
 */
#ifndef KESTRUNE_SCREENSHOT_H
#define KESTRUNE_SCREENSHOT_H

#include <windows.h>

#include <string>

/*
 * Invalidates a window with its frame and children and paints it at once.
 * Wine puts what a window painted on the display a little later, from the
 * thread's message loop: a window is shot after the loop has run for a
 * while since its paint, never right after one.
 */
void PaintNow(HWND window);

/*
 * Copies the screen's pixels in this rectangle into a BMP file, once two
 * copies of them 50 ms apart agree (the thread's messages are dispatched
 * meanwhile, so that Wine puts what was painted on the display).  Returns an
 * empty text when the file was written, else why not: the copy failed, or
 * every pixel has one colour (a blank or unpainted window is no picture).
 */
std::string SaveScreenRegion(RECT area, const std::string &path);

/* The same for a window's whole rectangle, frame and caption included. */
std::string SaveWindowShot(HWND window, const std::string &path);

#endif
