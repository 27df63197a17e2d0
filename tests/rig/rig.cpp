/*
 * The test rig's recorders.  Attach rewrites entries of the plug-in's import
 * address table, so that only the plug-in's own calls are caught; the test
 * program and the system libraries keep calling the real functions.
 */
#include "tests/rig/rig.h"

#include <shellapi.h>

#include <algorithm>
#include <deque>
#include <map>
#include <set>
#include <string.h>

namespace rig
{

typedef int(WINAPI *MessageBoxProc)(HWND, LPCSTR, LPCSTR, UINT);
typedef UINT_PTR(WINAPI *SetTimerProc)(HWND, UINT_PTR, UINT, TIMERPROC);
typedef BOOL(WINAPI *KillTimerProc)(HWND, UINT_PTR);
typedef BOOL(WINAPI *NotifyIconProc)(DWORD, PNOTIFYICONDATAA);

static std::vector<Box> BoxRecords;
static std::deque<int> BoxAnswers;
static std::function<void(const Box &)> WhileBoxOpen;
static bool RealBoxes;
static std::vector<std::string> DebugTexts;
static CRITICAL_SECTION DebugLock;
static std::vector<TimerRecord> TimerRecords;
static bool FailTimer;
static DWORD FailTimerError;
static std::vector<TrayCall> TrayRecords;
static std::vector<ShellCall> ShellRecords;

std::vector<Box> &Boxes() { return BoxRecords; }
void QueueBoxAnswer(int answer) { BoxAnswers.push_back(answer); }
void OnBox(std::function<void(const Box &)> whileOpen) { WhileBoxOpen = whileOpen; }
void UseRealBoxes(bool on) { RealBoxes = on; }
std::vector<std::string> &DebugOutput() { return DebugTexts; }
std::vector<TimerRecord> &Timers() { return TimerRecords; }
std::vector<TrayCall> &TrayCalls() { return TrayRecords; }
std::vector<ShellCall> &ShellCalls() { return ShellRecords; }

void FailNextSetTimer(DWORD error)
{
    FailTimer = true;
    FailTimerError = error;
}

static int NextBoxAnswer(void)
{
    if (BoxAnswers.empty())
        return IDOK;
    int answer = BoxAnswers.front();
    BoxAnswers.pop_front();
    return answer;
}

/*
 * Runs a copy of the callback: the callback may replace itself (OnBox inside
 * OnBox) without destroying the code that is running.
 */
static void RunBoxCallback(const Box &box)
{
    std::function<void(const Box &)> callback = WhileBoxOpen;
    if (callback)
        callback(box);
}

/* ---- real message boxes ----
 *
 * A real box runs its own modal loop on this thread.  Before it is shown a
 * window-less thread timer is started; the box's loop dispatches it, so
 * the finder runs on this thread while the box is up.  It looks for a
 * visible "#32770" window of this thread that was not shown before, reads
 * its caption and text as shown, records them, runs the OnBox callback (so
 * ticks and player moves happen inside the real modal loop) and presses the
 * queued button.  Boxes opened inside that callback nest: each finder acts
 * only on the box of its own depth.
 */
struct BoxWatch {
    UINT_PTR Timer;
    UINT Flags;
    int Answer;
    int Depth;
    HWND Found;
    bool Done;
    std::vector<HWND> Before; /* dialogs already shown when the box was asked for */
};
static std::vector<BoxWatch *> Watches;

static std::string WindowText(HWND window)
{
    char text[4096];
    int length = window ? GetWindowTextA(window, text, sizeof text) : 0;
    return std::string(text, length > 0 ? length : 0);
}

static bool IsShownDialog(HWND window)
{
    char className[32];
    if (!IsWindowVisible(window) || !GetClassNameA(window, className, sizeof className))
        return false;
    return strcmp(className, "#32770") == 0;
}

static BOOL CALLBACK ListShownDialog(HWND window, LPARAM parameter)
{
    if (IsShownDialog(window))
        ((std::vector<HWND> *)parameter)->push_back(window);
    return TRUE;
}

static BOOL CALLBACK FindNewBox(HWND window, LPARAM parameter)
{
    BoxWatch *watch = (BoxWatch *)parameter;
    if (!IsShownDialog(window))
        return TRUE;
    for (HWND before : watch->Before)
        if (before == window)
            return TRUE;
    for (BoxWatch *other : Watches)
        if (other != watch && other->Found == window)
            return TRUE;
    watch->Found = window;
    return FALSE;
}

static void CALLBACK WatchForBox(HWND, UINT, UINT_PTR timer, DWORD)
{
    BoxWatch *watch = NULL;
    for (BoxWatch *candidate : Watches)
        if (candidate->Timer == timer)
            watch = candidate;
    if (!watch || watch->Done || watch->Depth != (int)Watches.size())
        return;
    EnumThreadWindows(GetCurrentThreadId(), FindNewBox, (LPARAM)watch);
    if (!watch->Found)
        return;
    watch->Done = true;
    KillTimer(NULL, watch->Timer);
    Box box = {GetWindow(watch->Found, GW_OWNER), WindowText(GetDlgItem(watch->Found, 0xFFFF)),
               WindowText(watch->Found), watch->Flags};
    BoxRecords.push_back(box);
    RunBoxCallback(box);
    PostMessageA(watch->Found, WM_COMMAND, MAKEWPARAM(watch->Answer, BN_CLICKED),
                 (LPARAM)GetDlgItem(watch->Found, watch->Answer));
}

static int ShowRealBox(HWND owner, LPCSTR text, LPCSTR caption, UINT flags)
{
    BoxWatch watch = {0, flags, NextBoxAnswer(), (int)Watches.size() + 1, NULL, false, {}};
    EnumThreadWindows(GetCurrentThreadId(), ListShownDialog, (LPARAM)&watch.Before);
    Watches.push_back(&watch);
    watch.Timer = SetTimer(NULL, 0, 20, WatchForBox);
    int result = MessageBoxA(owner, text, caption, flags);
    if (!watch.Done)
        KillTimer(NULL, watch.Timer);
    Watches.pop_back();
    return result;
}

/* ---- dialogs driven from a thread timer ----
 *
 * One window-less timer of the thread that attached the rig (or asked for
 * a dialog) looks for the thread's visible dialogs every 20 ms; every modal
 * loop of the thread dispatches it, nested ones included.  A dialog is
 * handed to the OnDialog call of its caption, never while that call is
 * still running for it; a dialog open too long is ended.
 */
struct DialogHandler {
    std::string Caption;
    std::function<void(HWND, int)> WhileOpen;
};
struct SeenDialog {
    HWND Window;
    DWORD FirstSeen;
    int Calls;
    bool Busy;
};
static std::vector<DialogHandler> DialogHandlers;
static std::vector<SeenDialog> SeenDialogs;
static std::vector<std::string> ForcedDialogTexts;
static UINT_PTR DialogTimer;
static const DWORD DialogPatience = 20000;

std::vector<std::string> &ForcedDialogs() { return ForcedDialogTexts; }

static SeenDialog *FindSeenDialog(HWND window)
{
    for (SeenDialog &seen : SeenDialogs)
        if (seen.Window == window)
            return &seen;
    return NULL;
}

static std::function<void(HWND, int)> DialogHandlerFor(HWND window)
{
    std::string caption = WindowText(window);
    for (const DialogHandler &handler : DialogHandlers)
        if (handler.Caption == caption)
            return handler.WhileOpen;
    return nullptr;
}

/* Hands one shown dialog to its handler, or ends it when it has been open too long. */
static void AttendDialog(HWND window)
{
    SeenDialog *seen = FindSeenDialog(window);
    if (!seen) {
        SeenDialogs.push_back({window, GetTickCount(), 0, false});
        seen = &SeenDialogs.back();
    }
    if (GetTickCount() - seen->FirstSeen > DialogPatience) {
        ForcedDialogTexts.push_back(WindowText(window));
        EndDialog(window, IDCANCEL);
        return;
    }
    std::function<void(HWND, int)> whileOpen = DialogHandlerFor(window);
    if (seen->Busy || !whileOpen)
        return;
    seen->Busy = true;
    int call = seen->Calls++;
    whileOpen(window, call); /* may open nested dialogs: SeenDialogs can grow meanwhile */
    if ((seen = FindSeenDialog(window)) != NULL)
        seen->Busy = false;
}

static void CALLBACK WatchDialogs(HWND, UINT, UINT_PTR, DWORD)
{
    SeenDialogs.erase(std::remove_if(SeenDialogs.begin(), SeenDialogs.end(),
                                     [](const SeenDialog &seen) { return !IsWindow(seen.Window); }),
                      SeenDialogs.end());
    std::vector<HWND> shown;
    EnumThreadWindows(GetCurrentThreadId(), ListShownDialog, (LPARAM)&shown);
    for (HWND window : shown)
        AttendDialog(window);
}

static void WatchDialogsOnce(void)
{
    if (!DialogTimer)
        DialogTimer = SetTimer(NULL, 0, 20, WatchDialogs);
}

void OnDialog(const std::string &caption, std::function<void(HWND dialog, int call)> whileOpen)
{
    WatchDialogsOnce();
    for (DialogHandler &handler : DialogHandlers)
        if (handler.Caption == caption) {
            handler.WhileOpen = whileOpen;
            return;
        }
    DialogHandlers.push_back({caption, whileOpen});
}

void ForgetDialogHandlers() { DialogHandlers.clear(); }

/* ---- the pickers ----
 *
 * Each request is recorded before the real dialog runs, so a dialog
 * handler can read it while the picker is open; the outcome is added when
 * the picker returns.
 */
static std::vector<SaveRequest> SaveRecords;
static std::vector<FontRequest> FontRecords;
static std::vector<ColourRequest> ColourRecords;
static std::vector<FolderRequest> FolderRecords;

std::vector<SaveRequest> &SaveRequests() { return SaveRecords; }
std::vector<FontRequest> &FontRequests() { return FontRecords; }
std::vector<ColourRequest> &ColourRequests() { return ColourRecords; }
std::vector<FolderRequest> &FolderRequests() { return FolderRecords; }

/* A list of texts each ending in a zero, closed by a second zero. */
static std::string ZeroList(const char *list)
{
    const char *end = list;
    while (list && (*end || end[1]))
        end++;
    return list ? std::string(list, end - list + 2) : std::string();
}

static BOOL WINAPI RecordGetSaveFileName(OPENFILENAMEA *request)
{
    SaveRequest record = {};
    memcpy(&record.Record, request, std::min((size_t)request->lStructSize, sizeof record.Record));
    record.Filter = ZeroList(request->lpstrFilter);
    record.DefaultExtension = request->lpstrDefExt ? request->lpstrDefExt : "";
    record.FileAtEntry = request->lpstrFile ? request->lpstrFile : "";
    SaveRecords.push_back(record);
    size_t index = SaveRecords.size() - 1;
    BOOL result = GetSaveFileNameA(request);
    SaveRecords[index].Result = result;
    return result;
}

/* The plug-in's font hook while its dialog runs: the rig's hook counts what passes to it. */
static LPCFHOOKPROC PluginFontHook;

static UINT_PTR CALLBACK CountFontHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!FontRecords.empty())
        FontRecords.back().HookedMessages.push_back(message);
    return PluginFontHook(dialog, message, wParam, lParam);
}

static BOOL WINAPI RecordChooseFont(CHOOSEFONTA *request)
{
    FontRequest record = {};
    record.Record = *request;
    if (request->lpLogFont)
        record.FontAtEntry = *request->lpLogFont;
    FontRecords.push_back(record);
    size_t index = FontRecords.size() - 1;
    LPCFHOOKPROC hook = request->lpfnHook;
    if (hook && (request->Flags & CF_ENABLEHOOK)) {
        PluginFontHook = hook;
        request->lpfnHook = CountFontHook;
    }
    BOOL result = ChooseFontA(request);
    request->lpfnHook = hook;
    FontRecords[index].Result = result;
    return result;
}

static BOOL WINAPI RecordChooseColor(CHOOSECOLORA *request)
{
    ColourRequest record = {};
    record.Record = *request;
    if (request->lpCustColors)
        record.CustomColoursAtEntry.assign(request->lpCustColors, request->lpCustColors + 16);
    ColourRecords.push_back(record);
    size_t index = ColourRecords.size() - 1;
    BOOL result = ChooseColorA(request);
    ColourRecords[index].Result = result;
    ColourRecords[index].ChosenColour = request->rgbResult;
    return result;
}

/*
 * The plug-in's folder callback runs inside the rig's: while it handles a
 * notification, the picker's window is subclassed so that the messages it
 * sends there are recorded.
 */
static BFFCALLBACK PluginFolderCallback;
static WNDPROC FolderPickerProc;

static LRESULT CALLBACK RecordFolderPickerMessage(HWND picker, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == BFFM_SETSELECTIONA && !FolderRecords.empty())
        FolderRecords.back().Preselections.push_back(wParam && lParam ? (const char *)lParam : "<item>");
    return CallWindowProcA(FolderPickerProc, picker, message, wParam, lParam);
}

/* The picker calls back from inside the messages the plug-in sends it: only the outermost call subclasses. */
static int CALLBACK WatchFolderCallback(HWND picker, UINT message, LPARAM parameter, LPARAM data)
{
    static bool watching;
    if (watching)
        return PluginFolderCallback(picker, message, parameter, data);
    watching = true;
    FolderPickerProc = (WNDPROC)SetWindowLongPtrA(picker, GWLP_WNDPROC, (LONG_PTR)RecordFolderPickerMessage);
    int result = PluginFolderCallback(picker, message, parameter, data);
    SetWindowLongPtrA(picker, GWLP_WNDPROC, (LONG_PTR)FolderPickerProc);
    watching = false;
    return result;
}

static LPITEMIDLIST WINAPI RecordBrowseForFolder(BROWSEINFOA *request)
{
    FolderRequest record = {};
    record.Record = *request;
    record.Title = request->lpszTitle ? request->lpszTitle : "";
    FolderRecords.push_back(record);
    size_t index = FolderRecords.size() - 1;
    BFFCALLBACK callback = request->lpfn;
    if (callback) {
        PluginFolderCallback = callback;
        request->lpfn = WatchFolderCallback;
    }
    LPITEMIDLIST item = SHBrowseForFolderA(request);
    request->lpfn = callback;
    FolderRecords[index].Picked = item != NULL;
    return item;
}

/* ---- the recorders that replace the plug-in's imports ---- */

static int WINAPI RecordMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT flags)
{
    if (RealBoxes)
        return ShowRealBox(owner, text, caption, flags);
    Box box = {owner, text ? text : "", caption ? caption : "", flags};
    BoxRecords.push_back(box);
    RunBoxCallback(box);
    return NextBoxAnswer();
}

/* The timer is real, so its id is the system's and KillTimer works, but its period is too long to ever fire. */
static UINT_PTR WINAPI RecordSetTimer(HWND window, UINT_PTR id, UINT period, TIMERPROC callback)
{
    TimerRecord record = {window, id, period, callback, 0, false};
    if (FailTimer) {
        FailTimer = false;
        TimerRecords.push_back(record);
        SetLastError(FailTimerError);
        return 0;
    }
    record.Id = SetTimer(window, id, USER_TIMER_MAXIMUM, callback);
    DWORD error = GetLastError();
    TimerRecords.push_back(record);
    SetLastError(error);
    return record.Id;
}

static BOOL WINAPI RecordKillTimer(HWND window, UINT_PTR id)
{
    for (TimerRecord &record : TimerRecords)
        if (record.Id == id && record.Window == window && id != 0)
            record.Killed = true;
    return KillTimer(window, id);
}

static BOOL WINAPI RecordNotifyIcon(DWORD action, PNOTIFYICONDATAA icon)
{
    TrayCall call = {action, 0, NULL, 0, 0, 0, NULL, FALSE};
    if (icon) {
        call.Size = icon->cbSize;
        call.Window = icon->hWnd;
        call.Id = icon->uID;
        call.Flags = icon->uFlags;
        call.CallbackMessage = icon->uCallbackMessage;
        call.Icon = icon->hIcon;
    }
    call.Result = Shell_NotifyIconA(action, icon);
    TrayRecords.push_back(call);
    return call.Result;
}

static HINSTANCE WINAPI RecordShellExecute(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                                           INT show)
{
    ShellCall call = {owner,
                      verb ? verb : "",
                      file ? file : "",
                      parameters ? parameters : "",
                      directory ? directory : "",
                      parameters != NULL,
                      directory != NULL,
                      show};
    ShellRecords.push_back(call);
    return (HINSTANCE)42;
}

/* ---- drawing, held objects and failures on request ---- */

struct Failure {
    DWORD Error;
    int Times; /* negative: every call */
};
static std::set<HANDLE> HeldObjects;
static std::vector<DrawnText> DrawnRecords;
static std::map<std::string, Failure> Failures;

size_t ObjectsHeld() { return HeldObjects.size(); }
std::vector<DrawnText> &DrawnTexts() { return DrawnRecords; }
void FailCalls(const std::string &function, DWORD error, int times) { Failures[function] = {error, times}; }

/* True, with the last error set, when this call is to fail. */
static bool Fails(const char *function)
{
    auto failure = Failures.find(function);
    if (failure == Failures.end() || failure->second.Times == 0)
        return false;
    if (failure->second.Times > 0)
        failure->second.Times--;
    SetLastError(failure->second.Error);
    return true;
}

template <class Handle> static Handle Held(Handle handle)
{
    if (handle)
        HeldObjects.insert((HANDLE)handle);
    return handle;
}

static BOOL Released(HANDLE handle, BOOL result)
{
    if (result)
        HeldObjects.erase(handle);
    return result;
}

static HFONT WINAPI RecordCreateFont(const LOGFONTA *font) { return Held(CreateFontIndirectA(font)); }
static HBRUSH WINAPI RecordCreateBrush(COLORREF colour) { return Held(CreateSolidBrush(colour)); }
static HDC WINAPI RecordCreateDC(HDC dc) { return Held(CreateCompatibleDC(dc)); }
static HBITMAP WINAPI RecordCreateBitmap(HDC dc, int width, int height)
{
    return Held(CreateCompatibleBitmap(dc, width, height));
}
static HDC WINAPI RecordGetDC(HWND window) { return Held(GetDC(window)); }
static HMENU WINAPI RecordLoadMenu(HINSTANCE module, LPCSTR name) { return Held(LoadMenuA(module, name)); }
static BOOL WINAPI RecordDeleteObject(HGDIOBJ object) { return Released(object, DeleteObject(object)); }
static BOOL WINAPI RecordDeleteDC(HDC dc) { return Released(dc, DeleteDC(dc)); }
static int WINAPI RecordReleaseDC(HWND window, HDC dc) { return Released(dc, ReleaseDC(window, dc)); }
static BOOL WINAPI RecordDestroyMenu(HMENU menu) { return Released(menu, DestroyMenu(menu)); }

/* Unregistering a class deletes its background brush. */
static BOOL WINAPI RecordUnregisterClass(LPCSTR name, HINSTANCE module)
{
    WNDCLASSA windowClass;
    HBRUSH brush = GetClassInfoA(module, name, &windowClass) ? windowClass.hbrBackground : NULL;
    return Released(brush, UnregisterClassA(name, module));
}

static BOOL WINAPI RecordTextOut(HDC dc, int x, int y, LPCSTR text, int length)
{
    std::string bytes(text, length > 0 ? length : 0);
    wchar_t wide[1024] = L"";
    MultiByteToWideChar(CP_ACP, 0, bytes.c_str(), -1, wide, 1024);
    DrawnRecords.push_back({x, y, bytes, wide});
    return TextOutA(dc, x, y, text, length);
}

/* A wide text is recorded as drawn, and in the system's code page ("?" for what it lacks). */
static BOOL WINAPI RecordTextOutW(HDC dc, int x, int y, LPCWSTR text, int length)
{
    std::wstring wide(text, length > 0 ? length : 0);
    char bytes[2048] = "";
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, bytes, sizeof bytes, NULL, NULL);
    DrawnRecords.push_back({x, y, bytes, wide});
    return TextOutW(dc, x, y, text, length);
}

static ATOM WINAPI RecordRegisterClass(const WNDCLASSA *windowClass)
{
    return Fails("RegisterClassA") ? 0 : RegisterClassA(windowClass);
}

static HWND WINAPI RecordCreateWindow(DWORD extendedStyle, LPCSTR className, LPCSTR text, DWORD style, int x, int y,
                                      int width, int height, HWND parent, HMENU menu, HINSTANCE module, LPVOID data)
{
    if (Fails("CreateWindowExA"))
        return NULL;
    return CreateWindowExA(extendedStyle, className, text, style, x, y, width, height, parent, menu, module, data);
}

static BOOL WINAPI RecordSystemParameters(UINT action, UINT number, PVOID value, UINT flags)
{
    return Fails("SystemParametersInfoA") ? FALSE : SystemParametersInfoA(action, number, value, flags);
}

static BOOL WINAPI RecordBitBlt(HDC target, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                                DWORD operation)
{
    return Fails("BitBlt") ? FALSE : BitBlt(target, x, y, width, height, source, sourceX, sourceY, operation);
}

/* ---- debugger output ---- */

static LONG CALLBACK CatchDebugOutput(EXCEPTION_POINTERS *exception)
{
    EXCEPTION_RECORD *record = exception->ExceptionRecord;
    if (record->ExceptionCode != DBG_PRINTEXCEPTION_C || record->NumberParameters < 2)
        return EXCEPTION_CONTINUE_SEARCH;
    const char *text = (const char *)record->ExceptionInformation[1];
    size_t length = (size_t)record->ExceptionInformation[0];
    EnterCriticalSection(&DebugLock);
    if (text)
        DebugTexts.push_back(std::string(text, strnlen(text, length)));
    LeaveCriticalSection(&DebugLock);
    return EXCEPTION_CONTINUE_EXECUTION;
}

static void CatchDebugOutputOnce(void)
{
    static bool installed;
    if (installed)
        return;
    installed = true;
    InitializeCriticalSection(&DebugLock);
    AddVectoredExceptionHandler(1, CatchDebugOutput);
}

/* ---- import patching ---- */

struct Replacement {
    const char *Library;
    const char *Function;
    void *Recorder;
};

static const Replacement Replacements[] = {
    {"user32.dll", "MessageBoxA", (void *)RecordMessageBox},
    {"user32.dll", "SetTimer", (void *)RecordSetTimer},
    {"user32.dll", "KillTimer", (void *)RecordKillTimer},
    {"shell32.dll", "Shell_NotifyIconA", (void *)RecordNotifyIcon},
    {"shell32.dll", "ShellExecuteA", (void *)RecordShellExecute},
    {"shell32.dll", "SHBrowseForFolderA", (void *)RecordBrowseForFolder},
    {"comdlg32.dll", "GetSaveFileNameA", (void *)RecordGetSaveFileName},
    {"comdlg32.dll", "ChooseFontA", (void *)RecordChooseFont},
    {"comdlg32.dll", "ChooseColorA", (void *)RecordChooseColor},
    /* drawing, held objects and failures on request */
    {"gdi32.dll", "CreateFontIndirectA", (void *)RecordCreateFont},
    {"gdi32.dll", "CreateSolidBrush", (void *)RecordCreateBrush},
    {"gdi32.dll", "CreateCompatibleDC", (void *)RecordCreateDC},
    {"gdi32.dll", "CreateCompatibleBitmap", (void *)RecordCreateBitmap},
    {"gdi32.dll", "DeleteObject", (void *)RecordDeleteObject},
    {"gdi32.dll", "DeleteDC", (void *)RecordDeleteDC},
    {"gdi32.dll", "TextOutA", (void *)RecordTextOut},
    {"gdi32.dll", "TextOutW", (void *)RecordTextOutW},
    {"gdi32.dll", "BitBlt", (void *)RecordBitBlt},
    {"user32.dll", "GetDC", (void *)RecordGetDC},
    {"user32.dll", "ReleaseDC", (void *)RecordReleaseDC},
    {"user32.dll", "LoadMenuA", (void *)RecordLoadMenu},
    {"user32.dll", "DestroyMenu", (void *)RecordDestroyMenu},
    {"user32.dll", "RegisterClassA", (void *)RecordRegisterClass},
    {"user32.dll", "UnregisterClassA", (void *)RecordUnregisterClass},
    {"user32.dll", "CreateWindowExA", (void *)RecordCreateWindow},
    {"user32.dll", "SystemParametersInfoA", (void *)RecordSystemParameters},
};

static void WriteImport(void **slot, void *value)
{
    DWORD protection;
    if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection))
        return;
    *slot = value;
    VirtualProtect(slot, sizeof *slot, protection, &protection);
}

/*
 * Names an import slot by its hint/name entry when the lookup table exists,
 * and otherwise by comparing the bound address with the library's export.
 */
static void PatchSlot(const BYTE *image, const char *library, const IMAGE_THUNK_DATA *lookup, IMAGE_THUNK_DATA *slot)
{
    for (const Replacement &replacement : Replacements) {
        if (lstrcmpiA(library, replacement.Library) != 0)
            continue;
        bool match;
        if (lookup && !IMAGE_SNAP_BY_ORDINAL(lookup->u1.Ordinal)) {
            const IMAGE_IMPORT_BY_NAME *name = (const IMAGE_IMPORT_BY_NAME *)(image + lookup->u1.AddressOfData);
            match = strcmp((const char *)name->Name, replacement.Function) == 0;
        } else {
            HMODULE system = GetModuleHandleA(replacement.Library);
            match = system && (ULONG_PTR)GetProcAddress(system, replacement.Function) == slot->u1.Function;
        }
        if (match)
            WriteImport((void **)&slot->u1.Function, replacement.Recorder);
    }
}

void Attach(HMODULE plugin)
{
    CatchDebugOutputOnce();
    WatchDialogsOnce();
    const BYTE *image = (const BYTE *)plugin;
    const IMAGE_DOS_HEADER *dos = (const IMAGE_DOS_HEADER *)image;
    const IMAGE_NT_HEADERS *nt = (const IMAGE_NT_HEADERS *)(image + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY &directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!directory.VirtualAddress)
        return;
    for (const IMAGE_IMPORT_DESCRIPTOR *import = (const IMAGE_IMPORT_DESCRIPTOR *)(image + directory.VirtualAddress);
         import->Name; import++) {
        const char *library = (const char *)(image + import->Name);
        const IMAGE_THUNK_DATA *lookup =
            import->OriginalFirstThunk ? (const IMAGE_THUNK_DATA *)(image + import->OriginalFirstThunk) : NULL;
        IMAGE_THUNK_DATA *slot = (IMAGE_THUNK_DATA *)(image + import->FirstThunk);
        for (; slot->u1.Function; slot++, lookup = lookup ? lookup + 1 : NULL)
            PatchSlot(image, library, lookup, slot);
    }
}

void Reset()
{
    BoxRecords.clear();
    BoxAnswers.clear();
    WhileBoxOpen = nullptr;
    RealBoxes = false;
    CatchDebugOutputOnce();
    EnterCriticalSection(&DebugLock);
    DebugTexts.clear();
    LeaveCriticalSection(&DebugLock);
    TimerRecords.clear();
    FailTimer = false;
    TrayRecords.clear();
    ShellRecords.clear();
    if (DialogTimer)
        KillTimer(NULL, DialogTimer);
    DialogTimer = 0;
    DialogHandlers.clear();
    SeenDialogs.clear();
    ForcedDialogTexts.clear();
    SaveRecords.clear();
    FontRecords.clear();
    ColourRecords.clear();
    FolderRecords.clear();
    HeldObjects.clear();
    DrawnRecords.clear();
    Failures.clear();
}

/* Dispatches the live timer's callback the way the system does for a window-less timer. */
void Tick()
{
    for (size_t i = TimerRecords.size(); i-- > 0;) {
        TimerRecord record = TimerRecords[i];
        if (record.Id && !record.Killed && record.Callback) {
            record.Callback(record.Window, WM_TIMER, record.Id, GetTickCount());
            return;
        }
    }
}

/* ---- files ---- */

std::wstring Wide(const std::string &text)
{
    int units = MultiByteToWideChar(CP_ACP, 0, text.data(), (int)text.size(), NULL, 0);
    std::wstring wide(units, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), (int)text.size(), &wide[0], units);
    return wide;
}

std::string Utf8(const std::wstring &text)
{
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), (int)text.size(), NULL, 0, NULL, NULL);
    std::string utf8(bytes, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), (int)text.size(), &utf8[0], bytes, NULL, NULL);
    return utf8;
}

std::string ReadFile(const std::string &path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return std::string();
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &got, NULL) && got > 0)
        bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

void WriteFile(const std::string &path, const std::string &bytes)
{
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, NULL);
    CloseHandle(file);
}

bool FileExists(const std::string &path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ExecutableFolder()
{
    char name[MAX_PATH * 4];
    DWORD length = GetModuleFileNameA(NULL, name, sizeof name);
    std::string path(name, length < sizeof name ? length : 0);
    size_t slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

void RemoveTree(const std::string &folder)
{
    std::string base = folder;
    if (base.empty())
        return;
    if (base.back() != '\\')
        base += '\\';
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((base + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(base + name);
            } else {
                SetFileAttributesA((base + name).c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA((base + name).c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(base.c_str());
}

void MakeFolders(const std::string &folder)
{
    for (size_t slash = folder.find('\\', 3); slash != std::string::npos; slash = folder.find('\\', slash + 1))
        CreateDirectoryA(folder.substr(0, slash).c_str(), NULL);
    CreateDirectoryA(folder.c_str(), NULL);
}

std::string BuildPath(const std::string &path)
{
    if (path.empty() || path[0] != '/')
        return path;
    std::string windows = "Z:" + path;
    for (char &c : windows)
        if (c == '/')
            c = '\\';
    return windows;
}

/* ---- what this system can do ----
 *
 * Each probe runs once per process; its text is empty when it succeeded,
 * and otherwise names the failed call and its error.
 */

static const char Wow64Note[] = " (as in Wine's WoW64 mode for 32-bit programs)";

static std::string Failed(const char *call)
{
    DWORD error = GetLastError();
    return std::string(call) + " failed with error " + std::to_string(error) + Wow64Note;
}

static const std::string &IconProbe(void)
{
    static const std::string failure = [] {
        SetLastError(0);
        return LoadIconA(NULL, IDI_APPLICATION) ? std::string() : Failed("LoadIconA(NULL, IDI_APPLICATION)");
    }();
    return failure;
}

/* A pixel set and read back in a 1 x 1 DIB section selected into a memory device context. */
static const std::string &DrawingProbe(void)
{
    static const std::string failure = [] {
        SetLastError(0);
        HDC dc = CreateCompatibleDC(NULL);
        if (!dc)
            return Failed("CreateCompatibleDC(NULL)");
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), 1, 1, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void *bits = NULL;
        HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, NULL, 0);
        HGDIOBJ old = bitmap ? SelectObject(dc, bitmap) : NULL;
        std::string result;
        if (!old)
            result = Failed("CreateDIBSection or SelectObject on a memory device context");
        else if (SetPixel(dc, 0, 0, RGB(1, 2, 3)) == CLR_INVALID || GetPixel(dc, 0, 0) != RGB(1, 2, 3))
            result = Failed("SetPixel and GetPixel on a memory device context");
        if (old)
            SelectObject(dc, old);
        if (bitmap)
            DeleteObject(bitmap);
        DeleteDC(dc);
        return result;
    }();
    return failure;
}

/* A font made and deleted again. */
static const std::string &DeletionProbe(void)
{
    static const std::string failure = [] {
        LOGFONTA description = {};
        description.lfHeight = -12;
        SetLastError(0);
        HFONT font = CreateFontIndirectA(&description);
        if (!font)
            return Failed("CreateFontIndirectA");
        return DeleteObject(font) ? std::string() : Failed("DeleteObject of a new font");
    }();
    return failure;
}

/* A text measured on the screen's device context. */
static const std::string &TextProbe(void)
{
    static const std::string failure = [] {
        SetLastError(0);
        HDC screen = GetDC(NULL);
        SIZE size = {};
        std::string result;
        if (!screen || !GetTextExtentPoint32A(screen, "Kestrune", 8, &size) || size.cx <= 0)
            result = Failed("GetTextExtentPoint32A on the screen's device context");
        if (screen)
            ReleaseDC(NULL, screen);
        return result;
    }();
    return failure;
}

bool IconResourcesLoad() { return IconProbe().empty(); }

std::string IconResourcesFailure()
{
    return IconProbe().empty() ? std::string() : "icon resources do not load on this system: " + IconProbe();
}

bool DrawingWorks() { return DrawingProbe().empty(); }

std::string DrawingFailure()
{
    return DrawingProbe().empty()
               ? std::string()
               : "drawing on a device context fails on this system, so nothing can be drawn or "
                 "read back as pixels and no bitmap or image list can be made (the folder picker shows one): " +
                     DrawingProbe();
}

bool ObjectsDelete() { return DeletionProbe().empty(); }

std::string ObjectDeletionFailure()
{
    return DeletionProbe().empty() ? std::string()
                                   : "drawing objects cannot be deleted on this system, so what the plug-in holds "
                                     "cannot be counted: " +
                                         DeletionProbe();
}

bool TextMeasures() { return TextProbe().empty(); }

std::string TextMeasuringFailure()
{
    return TextProbe().empty() ? std::string()
                               : "text cannot be measured on this system, so an edit control cannot take a non-empty "
                                 "text and no combo box can be created (nor the font, colour and Save As dialogs): " +
                                     TextProbe();
}

/* ---- the clipboard ---- */

std::string ReadClipboardText()
{
    if (!OpenClipboard(NULL))
        return "<not opened>";
    std::string text = "<none>";
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char *bytes = (const char *)GlobalLock(data)) {
            text = bytes;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

std::wstring ReadClipboardWide()
{
    if (!OpenClipboard(NULL))
        return L"<not opened>";
    std::wstring text = L"<none>";
    if (IsClipboardFormatAvailable(CF_UNICODETEXT))
        if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
            if (const wchar_t *units = (const wchar_t *)GlobalLock(data)) {
                text = units;
                GlobalUnlock(data);
            }
        }
    CloseClipboard();
    return text;
}

bool PutClipboardText(const std::string &text)
{
    if (!OpenClipboard(NULL))
        return false;
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    memcpy(GlobalLock(block), text.c_str(), text.size() + 1);
    GlobalUnlock(block);
    SetClipboardData(CF_TEXT, block);
    CloseClipboard();
    return true;
}

/* ---- test media files ---- */

std::string Mp3WithTag(const std::string &title, const std::string &artist, const std::string &album,
                       const std::string &comment)
{
    auto field = [](std::string text) {
        text.resize(30, '\0');
        return text;
    };
    return std::string(400, '\x55') + "TAG" + field(title) + field(artist) + field(album) + "2005" + field(comment) +
           '\x11';
}

} // namespace rig
