/*
 * The DLL entry point and the one export the player looks for.
 */
#include "kestrune.h"

#include <commctrl.h>

/* Stores the module handle on every call, whatever the reason, and does nothing else. */
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)reason;
    (void)reserved;
    ModuleHandle = instance;
    return TRUE;
}

/*
 * Hands the player the plug-in record.  The common controls are registered
 * first, since the cue point tweaker holds an up-down control.
 */
extern "C" __declspec(dllexport) PluginRecordFields *winampGetGeneralPurposePlugin(void)
{
    InitCommonControls();
    return &PluginRecord;
}
