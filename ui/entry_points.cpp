/*
 * Entry points of the windows that the commands open and that are not built
 * yet.  Each is consumed here without effect until its window is built; the
 * commands that reach it are already routed.
 */
#include "kestrune.h"

HWND MarqueeWindow;

void OpenMarqueeWindow(void) {}
