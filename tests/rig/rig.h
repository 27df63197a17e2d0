/*
 * The test rig: observes and answers what the plug-in does with the system
 * from inside the stand-in player's process.
 *
 * After the plug-in's DLL is loaded and before its init runs, the rig
 * replaces entries of the DLL's import table (MessageBoxA, SetTimer,
 * KillTimer, Shell_NotifyIconA, ShellExecuteA, the pickers GetSaveFileNameA,
 * ChooseFontA, ChooseColorA, SHBrowseForFolderA, and the drawing, window
 * and menu calls below) with recorders; debugger output is caught by a
 * vectored exception handler.  Dialogs of the thread are driven from a
 * thread timer (OnDialog).  Nothing here depends
 * on the test framework, so the demo uses it too.
 */
#ifndef KESTRUNE_RIG_H
#define KESTRUNE_RIG_H

#include <windows.h>

#include <commdlg.h>
#include <shlobj.h>

#include <functional>
#include <string>
#include <vector>

namespace rig
{

/* ---- message boxes ---- */

struct Box {
    HWND Owner;
    std::string Text;
    std::string Caption;
    UINT Flags;
};

/* Every box the plug-in asked for, in order. */
std::vector<Box> &Boxes();
/* Queues the answer (IDOK, IDYES, IDNO, ...) of the next box; boxes with no queued answer get IDOK. */
void QueueBoxAnswer(int answer);
/*
 * Called while a box is "open", in place of its modal loop, after the box
 * has been recorded.  Tests use it to move the player and run ticks inside
 * a box, as the system's modal loop would.
 */
void OnBox(std::function<void(const Box &)> whileOpen);
/*
 * With real boxes on, MessageBoxA shows the system's real box; a helper
 * thread finds it, records its owner, text (static 0xFFFF) and caption as
 * shown, and presses the queued answer's button.
 */
void UseRealBoxes(bool on);

/* ---- debugger output ---- */

/*
 * Every OutputDebugStringA text of the process, in order.  GoogleTest
 * writes each failure there too, so the vector grows while a failing
 * expectation reports: a test that goes through it with expectations
 * inside goes through a copy.
 */
std::vector<std::string> &DebugOutput();

/* ---- the poll timer ---- */

struct TimerRecord {
    HWND Window;
    UINT_PTR RequestedId;
    UINT Period;
    TIMERPROC Callback;
    UINT_PTR Id; /* what SetTimer returned */
    bool Killed; /* KillTimer(NULL, Id) was called */
};
/* Every SetTimer call of the plug-in, in order. */
std::vector<TimerRecord> &Timers();
/*
 * Makes the next SetTimer fail: it returns 0 with this last error.  A timer
 * that is set is real but never fires by itself: tests tick it.
 */
void FailNextSetTimer(DWORD error);
/* Runs the live poll timer's callback once, as the system would dispatch it. */
void Tick();

/* ---- tray icon ---- */

struct TrayCall {
    DWORD Action; /* NIM_ADD, NIM_DELETE, ... */
    DWORD Size;   /* cbSize */
    HWND Window;
    UINT Id;
    UINT Flags;
    UINT CallbackMessage;
    HICON Icon;
    BOOL Result; /* what the system's Shell_NotifyIconA returned */
};
std::vector<TrayCall> &TrayCalls();

/* ---- the shell ---- */

struct ShellCall {
    HWND Owner;
    std::string Verb;
    std::string File;
    std::string Parameters;
    std::string Directory;
    bool HasParameters; /* the parameters pointer was not null */
    bool HasDirectory;
    int Show;
};
/* Every ShellExecuteA of the plug-in; none is carried out. */
std::vector<ShellCall> &ShellCalls();

/* ---- dialogs ---- */

/*
 * Calls whileOpen on this thread, from inside the modal loops, about every
 * 20 ms while a visible dialog ("#32770") of this thread with this caption
 * is open, with the dialog and the number of earlier calls for it.  A call
 * is never re-entered for its own dialog, so it may open a nested dialog (a
 * picker behind a button), whose own calls then run inside it.  A later
 * OnDialog for the same caption replaces the earlier one.
 */
void OnDialog(const std::string &caption, std::function<void(HWND dialog, int call)> whileOpen);
/* Drops every OnDialog call; dialogs are still watched and ended when open too long. */
void ForgetDialogHandlers();
/*
 * A dialog of this thread still open 20 s after it was first seen is ended
 * by the rig (EndDialog with IDCANCEL), so a test that fails to close one
 * cannot hang; its caption is listed here, and the fixture fails the test.
 */
std::vector<std::string> &ForcedDialogs();

/* ---- the plug-in's pickers: each request as it was handed over, then its outcome ---- */

struct SaveRequest {
    OPENFILENAMEA Record; /* the first Record.lStructSize bytes as handed over */
    std::string Filter;   /* up to and including the final double zero */
    std::string DefaultExtension;
    std::string FileAtEntry;
    BOOL Result;
};
std::vector<SaveRequest> &SaveRequests();

struct FontRequest {
    CHOOSEFONTA Record;
    LOGFONTA FontAtEntry;
    BOOL Result;
    /* Messages the dialog passed to the plug-in's hook (only with CF_ENABLEHOOK). */
    std::vector<UINT> HookedMessages;
};
std::vector<FontRequest> &FontRequests();

struct ColourRequest {
    CHOOSECOLORA Record;
    std::vector<COLORREF> CustomColoursAtEntry;
    COLORREF ChosenColour; /* rgbResult on return */
    BOOL Result;
};
std::vector<ColourRequest> &ColourRequests();

struct FolderRequest {
    BROWSEINFOA Record;
    std::string Title;
    /* Every select-this-folder message (BFFM_SETSELECTIONA) the plug-in sent to the picker: its path. */
    std::vector<std::string> Preselections;
    bool Picked; /* the picker returned an item */
};
std::vector<FolderRequest> &FolderRequests();

/* ---- drawing, held objects and failures on request ---- */

/*
 * How many fonts, brushes, bitmaps, device contexts and menus the plug-in
 * holds: made (CreateFontIndirectA, CreateSolidBrush, CreateCompatibleBitmap,
 * CreateCompatibleDC, LoadMenuA) or borrowed (GetDC) and not yet released
 * (DeleteObject, DeleteDC, DestroyMenu, ReleaseDC, each when it succeeded,
 * and UnregisterClassA for the class's background brush).
 */
size_t ObjectsHeld();

struct DrawnText {
    int X;
    int Y;
    std::string Text;  /* in the system's code page */
    std::wstring Wide; /* as drawn (TextOutW), or widened from the code page (TextOutA) */
};
/* Every TextOutA and TextOutW of the plug-in, in order; the call is carried out. */
std::vector<DrawnText> &DrawnTexts();

/*
 * Makes the plug-in's next calls of a function fail, returning 0 with this
 * last error: times calls, or every call when times is negative.  For
 * RegisterClassA, CreateWindowExA, SystemParametersInfoA and BitBlt.
 */
void FailCalls(const std::string &function, DWORD error, int times = 1);

/* ---- set-up ---- */

/* Replaces the imports above in the loaded module; call before its init. */
void Attach(HMODULE plugin);
/* Clears every record and queued answer. */
void Reset();

/* ---- files ---- */

std::string ReadFile(const std::string &path); /* whole file; empty when missing */
/* A text in the system's code page as a wide text, and a wide text in UTF-8 (the bytes a file holds). */
std::wstring Wide(const std::string &text);
std::string Utf8(const std::wstring &text);
void WriteFile(const std::string &path, const std::string &bytes);
bool FileExists(const std::string &path);
/* Folder of the running executable, with a trailing backslash. */
std::string ExecutableFolder();
/* Removes a folder and everything in it, if it exists. */
void RemoveTree(const std::string &folder);
/* Creates a folder and every missing folder above it. */
void MakeFolders(const std::string &folder);
/*
 * A path the build gives (a path of the build machine, "/..." under Wine)
 * as the test program opens it: "Z:\..." for "/...", other paths as given.
 */
std::string BuildPath(const std::string &path);

/* ---- what this system can do ---- */

/*
 * Self-checks of the platform, each tried once per process.  In Wine 8.0's
 * WoW64 mode (32-bit programs under wine64), 32-bit code cannot use device
 * contexts: CreateCompatibleDC returns none, GetDeviceCaps answers 0,
 * SelectObject, SetPixel, GetPixel, BitBlt and TextOutA fail, no text can
 * be measured, and no icon can be made from a resource (LoadIconA and
 * LoadImageA, error 6).  What follows from that:
 *
 * IconResourcesLoad: LoadIconA of the system's own icon resource
 * IDI_APPLICATION succeeds.  Without it the plug-in's icon does not load.
 *
 * DrawingWorks: a pixel set in a DIB section selected into a memory device
 * context reads back.  Without it nothing can be drawn or read back as
 * pixels, no bitmap resource loads (LoadImageA makes it on a memory device
 * context) and no image list can be made (ImageList_Create needs one too),
 * so the folder picker, which shows the shell's image list, crashes as it
 * opens.
 *
 * ObjectsDelete: a font made with CreateFontIndirectA is deleted again
 * (in WoW64 mode DeleteObject fails).  Without it every font the
 * plug-in makes stays counted as held (ObjectsHeld) after the plug-in
 * deleted it.
 *
 * TextMeasures: a text can be measured on the screen's device context
 * (GetTextExtentPoint32A).  Without it an edit control cannot take a
 * non-empty text (Wine's edit control measures it and crashes in
 * ScriptString_pSize), and no combo box can be created; so the platform's
 * font and Save As dialogs do not open (their combo boxes fail, and
 * ChooseFontA returns -1, GetSaveFileNameA 0, at once), the colour dialog
 * crashes as it opens (it writes numbers into its edits), and a dialog of
 * the plug-in crashes as soon as it shows a non-empty text in an edit.
 * Empty texts work.
 *
 * A check that needs one of these is skipped where its self-check fails
 * (SKIP_WITHOUT_ICON_RESOURCES, SKIP_WITHOUT_DRAWING,
 * SKIP_WITHOUT_OBJECT_DELETION and SKIP_WITHOUT_TEXT_MEASURING in
 * fixture.h), with the self-check's reason,
 * and runs again by itself on a system that can do it.  The ...Failure
 * texts say what fails, then name the failed call and its error; they are
 * empty where the check passes.
 */
bool IconResourcesLoad();
std::string IconResourcesFailure();
bool DrawingWorks();
std::string DrawingFailure();
bool ObjectsDelete();
std::string ObjectDeletionFailure();
bool TextMeasures();
std::string TextMeasuringFailure();

/* ---- the clipboard (machine-wide: only for e2e_shared tests and the demo) ---- */

/* The clipboard's CF_TEXT; "<none>" when it holds none, "<not opened>" when it cannot be opened. */
std::string ReadClipboardText();
/*
 * The same for CF_UNICODETEXT.  Where only CF_TEXT was placed, the system
 * makes this one from it in the code page, so a character the code page
 * lacks tells the two apart.
 */
std::wstring ReadClipboardWide();
/* Empties the clipboard and places text as CF_TEXT; false when the clipboard cannot be opened. */
bool PutClipboardText(const std::string &text);

/* ---- pictures, through the system's imaging component (images.cpp) ---- */

enum ImageFormat { IMAGE_PNG, IMAGE_JPEG };
/* Pixels as 0xAARRGGBB, rows top down. */
struct Pixels {
    UINT Width = 0, Height = 0;
    std::vector<DWORD> Bgra;
    DWORD At(UINT x, UINT y) const { return Bgra[(size_t)y * Width + x]; }
};
/* The pixels (width x height of them) encoded as a PNG or JPEG file's bytes; empty when that fails. */
std::string EncodeImage(ImageFormat format, UINT width, UINT height, const std::vector<DWORD> &pixels);
/* A picture file decoded; no pixels (0 x 0) when it cannot be decoded. */
Pixels DecodeImage(const std::string &path);
/* Why pictures cannot be made and read back on this system; empty where they can. */
std::string ImagingFailure();

/* ---- test media files ---- */

/*
 * The bytes of a small MP3-like file: some audio bytes, then a 128-byte
 * ID3v1 tag ("TAG", title, artist, album, year 2005, comment, genre) whose
 * texts are cut to 30 bytes and padded with zero bytes.
 */
std::string Mp3WithTag(const std::string &title, const std::string &artist, const std::string &album,
                       const std::string &comment);

} // namespace rig

#endif
