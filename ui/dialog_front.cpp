/*
 * What the dialogs of the plug-in share: the build stamp in their items
 * 1026 and 1027, being brought to the front when they open, and running
 * modally one at a time.
 */
#include "kestrune.h"

/*
 * The build date and time as the compiler stamps them ("Dec  8 2024",
 * "19:21:05").  One translation unit holds them, so every window shows the
 * same stamp whatever second each source file was compiled in.  A window
 * without the items is left as it is.
 */
void ShowBuildStampIn(HWND window, int dateItem, int timeItem)
{
    SetDlgItemTextA(window, dateItem, __DATE__);
    SetDlgItemTextA(window, timeItem, __TIME__);
}

void ShowBuildStamp(HWND window) { ShowBuildStampIn(window, IDC_BUILD_DATE, IDC_BUILD_TIME); }

/* Shows the window at the top of the Z order, where it stands, and makes it the foreground window. */
void ShowInFront(HWND window)
{
    ShowWindow(window, SW_SHOW);
    SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
    SetForegroundWindow(window);
}

void RunModalDialogOnce(int templateId, DLGPROC procedure, ModalDialog *dialog)
{
    if (dialog->Running) {
        if (dialog->Window)
            ShowInFront(dialog->Window);
        return;
    }
    dialog->Running = true;
    BeginModal(MODAL_DIALOG);
    DialogBoxParamA(PluginRecord.ModuleInstance, MAKEINTRESOURCEA(templateId), PluginRecord.HostMainWindow, procedure,
                    0);
    EndModal();
    dialog->Window = NULL;
    dialog->Running = false;
}
