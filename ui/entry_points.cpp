/*
 * Entry points of the windows and dialogs that the commands open.  Each is
 * consumed here without effect until its window is built; the commands that
 * reach them are already routed.
 */
#include "kestrune.h"

HWND MarqueeWindow;

void RunConfigurationDialog(void) {}
void OpenMarqueeWindow(void) {}
void ChooseLineFont(MarqueeLineStyle *style) { (void)style; }
void ChooseBackgroundColour(COLORREF *colour) { (void)colour; }
