#include "kestrune.h"
NowPlayingRecord NowPlaying;
char SharedText[SHARED_TEXT_SIZE];
void CALLBACK PollHost(HWND window, UINT message, UINT_PTR timerId, DWORD tickTime) { (void)window; (void)message; (void)timerId; (void)tickTime; }
