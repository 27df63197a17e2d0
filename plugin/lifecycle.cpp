/*
 * The plug-in record and the three entries the player calls through it:
 * init once after loading, config on the user's request, quit once before
 * unloading.  Init starts every other part of the plug-in; quit stops them.
 */
#include "kestrune.h"

#include <shellapi.h>
#include <string.h>
#include <strsafe.h>

static const char PluginDescription[] = "Tovk's WinAmp Email Vellacord";
static const char SettingsFileName[] = "plugin.ini";
static const char PlayerSettingsFileName[] = "Plugins\\plugin.ini";
static const char SourceName[] = "gen_Kestrune";

PluginRecordFields PluginRecord = {16, PluginDescription, PluginInit, PluginConfig, PluginQuit, NULL, NULL};
HINSTANCE ModuleHandle;
char SettingsPath[PATH_SIZE];
WNDPROC PreviousMainWindowProc;
UINT_PTR PollTimerId;

/*
 * Keeps the module's directory with its trailing backslash and appends
 * "plugin.ini"; a name without a backslash gives the bare "plugin.ini".
 * When the result would not fit in PATH_SIZE bytes the path is left empty:
 * a cut name would name another file, so settings are neither read nor
 * written then.
 */
void MakeSettingsPath(const char *moduleFileName, char *path)
{
    const char *slash = strrchr(moduleFileName, '\\');
    size_t directory = slash ? (size_t)(slash - moduleFileName) + 1 : 0;
    path[0] = '\0';
    if (directory + sizeof SettingsFileName > PATH_SIZE)
        return;
    memcpy(path, moduleFileName, directory);
    memcpy(path + directory, SettingsFileName, sizeof SettingsFileName);
}

void MakePlayerSettingsPath(const char *folder, char *path)
{
    path[0] = '\0';
    size_t length = strnlen(folder, PATH_SIZE);
    if (length == 0 || length >= PATH_SIZE)
        return;
    const char *separator = folder[length - 1] == '\\' ? "" : "\\";
    if (FAILED(StringCchPrintfA(path, PATH_SIZE, "%s%s%s", folder, separator, PlayerSettingsFileName)))
        path[0] = '\0';
}

/*
 * A module name of PATH_SIZE characters or more comes back cut from the
 * system; its directory part could then be a different folder, so it
 * yields an empty settings path rather than a wrong file.
 */
static void ComputeSettingsPath(char *path)
{
    char moduleFileName[PATH_SIZE];
    DWORD length = GetModuleFileNameA(PluginRecord.ModuleInstance, moduleFileName, sizeof moduleFileName);
    if (length >= sizeof moduleFileName) {
        path[0] = '\0';
        return;
    }
    moduleFileName[length] = '\0';
    MakeSettingsPath(moduleFileName, path);
}

/*
 * Whether the file could be written, found out without leaving anything
 * behind: an existing file is opened for writing and closed again; a
 * missing one is created as a new file that the system deletes as it is
 * closed.
 */
static bool CanWriteFile(const char *path)
{
    HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_NOT_FOUND)
        file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE,
                           NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

/*
 * Where the settings live, and loading them.  plugin.ini beside the DLL,
 * as long as it can be written.  A player under Program Files usually
 * cannot have it written by a standard user: then the settings live in the
 * player's settings folder (Plugins\plugin.ini there, its Plugins folder
 * made when missing), read from the file beside the DLL while the folder
 * holds none yet (defaults an installer put there).  A player that names
 * no folder leaves them beside the DLL, where quit says that they could
 * not be saved.
 */
static void ChooseAndLoadSettings(void)
{
    char besideDll[PATH_SIZE];
    ComputeSettingsPath(besideDll);
    StringCchCopyA(SettingsPath, sizeof SettingsPath, besideDll);
    if (!besideDll[0] || CanWriteFile(besideDll)) {
        LoadSettings();
        return;
    }
    char folder[PATH_SIZE] = "";
    const char *named = GetIniDirectory();
    if (named)
        StringCchCopyA(folder, sizeof folder, named);
    char inPlayerFolder[PATH_SIZE];
    MakePlayerSettingsPath(folder, inPlayerFolder);
    if (!inPlayerFolder[0]) {
        LoadSettings();
        return;
    }
    char plugins[PATH_SIZE];
    StringCchCopyA(plugins, sizeof plugins, inPlayerFolder);
    *strrchr(plugins, '\\') = '\0';
    CreateDirectoryA(plugins, NULL);
    StringCchCopyA(SettingsPath, sizeof SettingsPath, inPlayerFolder);
    bool haveOwn = GetFileAttributesA(inPlayerFolder) != INVALID_FILE_ATTRIBUTES;
    LoadSettingsFrom(haveOwn ? inPlayerFolder : besideDll);
}

/* A failed save is said once, at quit, with the file and the system's reason. */
static void ReportSavingFailed(DWORD error)
{
    char *reason = NULL;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL,
                   error, 0x0400, (LPSTR)&reason, 0, NULL);
    char text[PATH_SIZE + 512];
    StringCchPrintfA(text, sizeof text, "The settings could not be saved to %s.\r\n\r\n%s", SettingsPath,
                     reason ? reason : "No description is available for this error.");
    if (reason)
        LocalFree(reason);
    ShowBox(PluginRecord.HostMainWindow, text, "Settings not saved", MB_OK | MB_ICONERROR);
}

static void EmptySignatureWhenUsed(void)
{
    if (Settings.UseSignature && Settings.SignatureFileName[0])
        EmptySignatureFile();
}

int PluginInit(void)
{
    PluginFrame frame;
    PluginRunning = true;
    ChooseAndLoadSettings();
    InstallMainWindowHook();
    AskPlayerVersion();
    PollTimerId = SetTimer(NULL, 0, 1000, PollHost);
    if (!PollTimerId)
        ReportSystemError(NULL, GetLastError(), SourceName, ERROR_LINE_POLL_TIMER);
    NotifyTrayIcon(NIM_ADD);
    AppendLogEntry("WinAmp started");
    EmptySignatureWhenUsed();
    if (Settings.AlwaysConfigureOnLaunch)
        PluginConfig();
    return 0;
}

/* Runs the configuration dialog modally (or brings the open one to the front); its result is ignored. */
void PluginConfig(void)
{
    PluginFrame frame;
    RunConfigurationDialog();
}

/*
 * Stops everything init started.  First the plug-in's modal windows end,
 * so that their loops unwind once control returns to them; when the
 * plug-in's own frames are below this call (the player was closed from
 * inside one of those loops, or from the hook), the DLL stays loaded until
 * the process ends, so they return into code that is still there.  The
 * hook goes last, after the boxes the log and signature writers may show,
 * so that nothing of the plug-in is left for the player's window to call
 * once the DLL is unloaded.
 */
void PluginQuit(void)
{
    PluginRunning = false;
    EndModalWindows();
    if (PluginFramesBelow())
        KeepModuleLoaded();
    if (PollTimerId) {
        KillTimer(NULL, PollTimerId);
        PollTimerId = 0;
    }
    DWORD saveError = SettingsPath[0] ? SaveSettings() : 0;
    NotifyTrayIcon(NIM_DELETE);
    StreamQuit();
    AppendLogEntry("WinAmp quit");
    EmptySignatureWhenUsed();
    if (saveError)
        ReportSavingFailed(saveError);

    /*
     * The dialogs and the marquee run this module's code, and the marquee's
     * class names it: none may outlive the DLL.  They go after the last box
     * quit may show, whose modal loop could still open one through the hook.
     */
    CloseNowPlaying();
    CloseCuePointTweakers();
    CloseMarqueeWindow();

    RemoveMainWindowHook();
}
