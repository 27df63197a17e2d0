/*
 * Reporting of failed system calls: the system's own text for the error,
 * to the debugger output and in an error box.
 */
#include "kestrune.h"

#include <string.h>
#include <strsafe.h>

/* Shown when the system has no message text for the code. */
static const char NoSystemText[] = "No description is available for this error.";

/*
 * Writes the caption, the system's text and a newline to the debugger
 * output, then shows the text under the caption "Error <code> lookup from
 * line <line> of <source>." with the error icon, owned by owner.  Returns
 * when the box is closed.  The system's text is fetched without expanding
 * inserts, since no arguments exist for them.
 */
void ReportSystemError(HWND owner, DWORD code, const char *source, unsigned line)
{
    char *systemText = NULL;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL,
                   code, 0x0400, (LPSTR)&systemText, 0, NULL);
    const char *text = systemText ? systemText : NoSystemText;
    const char *slash = strrchr(source, '\\');
    const char *name = slash ? slash + 1 : source;

    char caption[PATH_SIZE];
    StringCchPrintfA(caption, sizeof caption, "Error %u lookup from line %u of %s.", (unsigned)code, line, name);
    OutputDebugStringA(caption);
    OutputDebugStringA(text);
    OutputDebugStringA("\n");
    MessageBoxA(owner, text, caption, MB_OK | MB_ICONERROR);
    if (systemText)
        LocalFree(systemText);
}
