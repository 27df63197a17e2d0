#include "kestrune.h"
SettingsRecord Settings;
void LoadSettings(void) {}
void SaveSettings(void) {}
void ParseFontDescription(const char *text, LOGFONTA *font) { (void)text; (void)font; }
