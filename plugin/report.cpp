/*
 * Message boxes of failures that may repeat, and the reporting of failed
 * system calls: the system's own text for the error, to the debugger
 * output and in an error box.
 */
#include "kestrune.h"

#include <string.h>
#include <strsafe.h>

/* Shown when the system has no message text for the code. */
static const char NoSystemText[] = "No description is available for this error.";

/*
 * Which kinds of box are open.  Everything runs on the player's thread, so
 * a box of a kind can only be asked for again from inside its own modal
 * loop, between the two assignments below.
 */
static bool BoxOpen[BOX_KIND_COUNT];

int ShowBox(HWND owner, const char *text, const char *caption, UINT flags)
{
    BeginModal(MODAL_BOX);
    int answer = MessageBoxA(owner, text, caption, flags);
    EndModal();
    return answer;
}

int ShowBoxOfKind(BoxKind kind, HWND owner, const char *text, const char *caption, UINT flags)
{
    if (BoxOpen[kind])
        return 0;
    BoxOpen[kind] = true;
    int answer = ShowBox(owner, text, caption, flags);
    BoxOpen[kind] = false;
    return answer;
}

/* A failed call as it is reported: the system's text and the caption. */
struct SystemErrorReport {
    char *SystemText; /* allocated by the system; NULL when it has none */
    const char *Text;
    char Caption[PATH_SIZE];
};

/*
 * Fetches the system's text for the code, without expanding inserts since
 * no arguments exist for them, formats the caption "Error <code> lookup
 * from line <line> of <source>." and writes the caption, the text and a
 * newline to the debugger output.
 */
static void BeginReport(SystemErrorReport *report, DWORD code, const char *source, unsigned line)
{
    report->SystemText = NULL;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL,
                   code, 0x0400, (LPSTR)&report->SystemText, 0, NULL);
    report->Text = report->SystemText ? report->SystemText : NoSystemText;
    const char *slash = strrchr(source, '\\');
    const char *name = slash ? slash + 1 : source;
    StringCchPrintfA(report->Caption, sizeof report->Caption, "Error %u lookup from line %u of %s.", (unsigned)code,
                     line, name);
    OutputDebugStringA(report->Caption);
    OutputDebugStringA(report->Text);
    OutputDebugStringA("\n");
}

static void EndReport(SystemErrorReport *report)
{
    if (report->SystemText)
        LocalFree(report->SystemText);
}

/*
 * Writes the report to the debugger output, then shows the text under its
 * caption with the error icon, owned by owner.  Returns when the box is
 * closed.
 */
void ReportSystemError(HWND owner, DWORD code, const char *source, unsigned line)
{
    SystemErrorReport report;
    BeginReport(&report, code, source, line);
    ShowBox(owner, report.Text, report.Caption, MB_OK | MB_ICONERROR);
    EndReport(&report);
}

void ReportSystemError(BoxKind kind, HWND owner, DWORD code, const char *source, unsigned line)
{
    SystemErrorReport report;
    BeginReport(&report, code, source, line);
    ShowBoxOfKind(kind, owner, report.Text, report.Caption, MB_OK | MB_ICONERROR);
    EndReport(&report);
}
