#include "kestrune.h"
LRESULT CALLBACK MainWindowHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam) { return CallWindowProcA(PreviousMainWindowProc, window, message, wParam, lParam); }
void InstallMainWindowHook(void) {}
void RemoveMainWindowHook(void) {}
