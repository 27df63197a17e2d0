/*
 * The plug-in record and the three entries the player calls through it:
 * init once after loading, config on the user's request, quit once before
 * unloading.  Init starts every other part of the plug-in; quit stops them.
 */
#include "kestrune.h"

#include <shellapi.h>
#include <string.h>

static const char PluginDescription[] = "Tovk's WinAmp Email Vellacord";
static const char SettingsFileName[] = "plugin.ini";
static const char SourceName[] = "gen_Kestrune";

PluginRecordFields PluginRecord = {16, PluginDescription, PluginInit, PluginConfig, PluginQuit, NULL, NULL};
HINSTANCE ModuleHandle;
char SettingsPath[PATH_SIZE];
WNDPROC PreviousMainWindowProc;
UINT_PTR PollTimerId;

#ifndef _WIN64
static_assert(NOTIFYICONDATAA_V1_SIZE == 88, "the tray icon record has the 88-byte layout");
#endif

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

/* The same record at every add; removal names only the window and the icon number. */
void NotifyTrayIcon(DWORD action)
{
    NOTIFYICONDATAA icon;
    ZeroMemory(&icon, sizeof icon);
    icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
    icon.hWnd = PluginRecord.HostMainWindow;
    icon.uID = TRAY_ICON_ID;
    if (action == NIM_ADD) {
        icon.uFlags = NIF_MESSAGE | NIF_ICON;
        icon.uCallbackMessage = WM_TRAY_NOTIFY;
        icon.hIcon = LoadIconA(PluginRecord.ModuleInstance, MAKEINTRESOURCEA(IDI_KESTRUNE));
    }
    Shell_NotifyIconA(action, &icon);
}

/*
 * A module name of PATH_SIZE characters or more comes back cut from the
 * system; its directory part could then be a different folder, so it
 * yields an empty settings path rather than a wrong file.
 */
static void ComputeSettingsPath(void)
{
    char moduleFileName[PATH_SIZE];
    DWORD length = GetModuleFileNameA(PluginRecord.ModuleInstance, moduleFileName, sizeof moduleFileName);
    if (length >= sizeof moduleFileName) {
        SettingsPath[0] = '\0';
        return;
    }
    moduleFileName[length] = '\0';
    MakeSettingsPath(moduleFileName, SettingsPath);
}

static void EmptySignatureWhenUsed(void)
{
    if (Settings.UseSignature && Settings.SignatureFileName[0])
        EmptySignatureFile();
}

int PluginInit(void)
{
    ComputeSettingsPath();
    LoadSettings();
    InstallMainWindowHook();
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

/* Runs the configuration dialog modally; its result is ignored. */
void PluginConfig(void) { RunConfigurationDialog(); }

/*
 * Stops everything init started.  The hook goes last, after the boxes the
 * log and signature writers may show, so that nothing of the plug-in is
 * left for the player's window to call once the DLL is unloaded.
 */
void PluginQuit(void)
{
    if (PollTimerId) {
        KillTimer(NULL, PollTimerId);
        PollTimerId = 0;
    }
    if (SettingsPath[0])
        SaveSettings();
    NotifyTrayIcon(NIM_DELETE);
    AppendLogEntry("WinAmp quit");
    EmptySignatureWhenUsed();

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
