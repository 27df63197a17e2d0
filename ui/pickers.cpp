/*
 * The font and colour pickers that restyle the marquee: the platform's
 * common font and colour dialogs, changing Settings in memory only.  Both
 * run without an owner, so the player's and the plug-in's windows stay
 * enabled while one is open.  Also the Save-as picker of the dialogs'
 * file rows.
 */
#include "kestrune.h"

#include <commdlg.h>
#include <stddef.h>
#include <strsafe.h>

/*
 * The save-file request of the first explorer-style dialogs: the record up
 * to and including lpTemplateName, which the platform names
 * OPENFILENAME_SIZE_VERSION_400A (that macro's null-pointer form is no
 * constant expression in C++, hence offsetof here).
 */
#ifndef _WIN64
static_assert(offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR) == 76, "the save-file request has 76 bytes");
static_assert(sizeof(CHOOSEFONTA) == 60, "the font request has 60 bytes");
static_assert(sizeof(CHOOSECOLORA) == 36, "the colour request has 36 bytes");
#endif

static const char SourceName[] = "gen_Kestrune";

/* The font request: prepared on the first call, reused by every later one. */
static CHOOSEFONTA FontRequest;
static bool FontRequestPrepared;
/*
 * The font the dialog works on.  The dialog writes its current choice into
 * the request's font while the user browses, and leaves it there when the
 * user cancels; so it gets a copy, which replaces the style's font only on
 * OK.
 */
static LOGFONTA ChosenFont;
/*
 * Set while a font picker is open.  Its request record is shared, and the
 * windows that ask for a picker stay enabled; a second request meanwhile
 * would repoint the record, and the open picker's OK would write its font
 * into the other line style.  So a second request does nothing.
 */
static bool FontPickerOpen;

/* The colour dialog's 16 custom colours: black at load, shared by every call. */
static COLORREF CustomColours[16];

static void FormatExtendedStyle(HWND dialog, char *text, size_t size)
{
    StringCchPrintfA(text, size, "Extended window style: 0x%08x", (unsigned)GetWindowLongA(dialog, GWL_EXSTYLE));
}

/*
 * Keeps the font dialog above the topmost player window: on initialisation,
 * on showing and on every command the dialog is made topmost and brought
 * to the top, and its extended style goes to the debugger output; when it
 * closes, a box shows the final extended style.  Always returns 0, so the
 * dialog's own handling goes on.
 *
 * The topmost bit of the extended style is the system's to set: it ignores
 * the bit in SetWindowLong and sets it when the window is placed among the
 * topmost windows, hence the topmost insert-after in SetWindowPos.
 */
static UINT_PTR CALLBACK FontDialogHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)wParam;
    (void)lParam;
    char text[64];
    switch (message) {
    case WM_INITDIALOG:
    case WM_SHOWWINDOW:
    case WM_COMMAND:
        SetWindowLongA(dialog, GWL_EXSTYLE, GetWindowLongA(dialog, GWL_EXSTYLE) | WS_EX_TOPMOST);
        if (!SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE))
            ReportSystemError(dialog, GetLastError(), SourceName, ERROR_LINE_FONT_DIALOG);
        FormatExtendedStyle(dialog, text, sizeof text);
        OutputDebugStringA(text);
        break;
    case WM_DESTROY:
        /* Kept on purpose: the final extended style is shown in a box as the dialog closes. */
        /* Quit ends the dialog as cancelled: then no box is left to close. */
        if (!PluginRunning)
            break;
        FormatExtendedStyle(dialog, text, sizeof text);
        ShowBox(PluginRecord.HostMainWindow, text, "information",
                MB_ICONINFORMATION | MB_TOPMOST | MB_SETFOREGROUND | MB_TASKMODAL);
        break;
    }
    return 0;
}

/*
 * Lets the user choose the font and text colour of one marquee line; both
 * are taken over only on OK.  The dialog is hooked only while the player's
 * window is topmost, and opens on the style's font once it has a face
 * name.
 */
void ChooseLineFont(MarqueeLineStyle *style)
{
    if (FontPickerOpen)
        return;
    if (!FontRequestPrepared) {
        ZeroMemory(&FontRequest, sizeof FontRequest);
        FontRequest.lStructSize = sizeof FontRequest;
        FontRequest.lpfnHook = FontDialogHook;
        FontRequestPrepared = true;
    }
    FontRequest.Flags = CF_SCREENFONTS | CF_EFFECTS;
    if (GetWindowLongA(PluginRecord.HostMainWindow, GWL_EXSTYLE) & WS_EX_TOPMOST)
        FontRequest.Flags |= CF_ENABLEHOOK;
    if (style->Font.lfFaceName[0])
        FontRequest.Flags |= CF_INITTOLOGFONTSTRUCT;
    ChosenFont = style->Font;
    FontRequest.lpLogFont = &ChosenFont;
    FontRequest.rgbColors = style->Foreground;
    FontPickerOpen = true;
    /* Kept on purpose: no owner, so no window of the player or the plug-in is disabled under the picker. */
    BeginModal(MODAL_PICKER);
    BOOL chosen = ChooseFontA(&FontRequest);
    EndModal();
    if (chosen) {
        style->Font = ChosenFont;
        style->Foreground = FontRequest.rgbColors;
    }
    FontPickerOpen = false;
}

/* Set while the colour picker is open: one picker of each kind at a time. */
static bool ColourPickerOpen;

/* Lets the user choose a colour among the basic and the 16 (fixed) custom colours. */
void ChooseBackgroundColour(COLORREF *colour)
{
    if (ColourPickerOpen)
        return;
    CHOOSECOLORA request;
    ZeroMemory(&request, sizeof request);
    request.lStructSize = sizeof request;
    request.rgbResult = *colour;
    request.lpCustColors = CustomColours;
    request.Flags = CC_RGBINIT | CC_PREVENTFULLOPEN;
    ColourPickerOpen = true;
    BeginModal(MODAL_PICKER);
    BOOL chosen = ChooseColorA(&request);
    EndModal();
    ColourPickerOpen = false;
    if (chosen)
        *colour = request.rgbResult;
}

/*
 * The Save-as picker, opened on file (PATH_SIZE bytes); the folder must
 * exist, the file need not.  True with the confirmed name in file; false,
 * file unchanged, after a cancel or when the player quit the plug-in
 * meanwhile.
 */
bool ChooseSaveFile(HWND owner, const char *filter, const char *extension, char *file)
{
    char chosen[PATH_SIZE];
    StringCchCopyA(chosen, sizeof chosen, file);
    OPENFILENAMEA request;
    ZeroMemory(&request, sizeof request);
    request.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    request.hwndOwner = owner;
    request.lpstrFilter = filter;
    request.lpstrFile = chosen;
    request.nMaxFile = sizeof chosen;
    request.Flags = OFN_PATHMUSTEXIST;
    request.lpstrDefExt = extension;
    BeginModal(MODAL_PICKER);
    BOOL confirmed = GetSaveFileNameA(&request);
    EndModal();
    if (!confirmed || !PluginRunning)
        return false;
    StringCchCopyA(file, PATH_SIZE, chosen);
    return true;
}
