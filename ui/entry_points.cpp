/*
 * Entry points of the windows and dialogs that the commands open.  Each is
 * consumed here without effect until its window is built; the commands that
 * reach them are already routed.  Built so far, each in its own file: the
 * configuration dialog (config_dialog.cpp) and the font and colour pickers
 * (pickers.cpp).
 */
#include "kestrune.h"

HWND MarqueeWindow;
HWND NowPlayingDialog;

void ShowNowPlaying(void) {}
void SwitchNowPlayingView(void) {}
void OpenMarqueeWindow(void) {}
void OpenCuePointTweaker(void) {}
