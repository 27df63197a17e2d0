/*
 * Entry points of the windows and dialogs that the commands open.  Each is
 * consumed here without effect until its window is built; the commands that
 * reach them are already routed.
 */
#include "kestrune.h"

HWND NowPlayingDialog;

void RunConfigurationDialog(void) {}
void ShowNowPlaying(void) {}
void SwitchNowPlayingView(void) {}
void OpenCuePointTweaker(void) {}
void ChooseLineFont(MarqueeLineStyle *style) { (void)style; }
void ChooseBackgroundColour(COLORREF *colour) { (void)colour; }
