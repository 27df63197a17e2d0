#include "kestrune.h"
void WriteSignatureFile(void) {}
void EmptySignatureFile(void) {}
void AppendLogEntry(const char *text) { (void)text; }
void CopyTextToClipboard(const char *text) { (void)text; }
