#include "kestrune.h"
void ReadId3v1Tag(HANDLE file, Id3v1Tag *tag) { (void)file; (void)tag; }
