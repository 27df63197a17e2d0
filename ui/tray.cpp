/*
 * The tray icon and the plug-in's command menu: adding the icon at init and
 * again after the system's shell restarted, removing it at quit, answering
 * its clicks, the popup menu (from the icon or the marquee) and the
 * enabling of its items in every menu of the player's main window.
 */
#include "kestrune.h"

#include <shellapi.h>

#ifndef _WIN64
static_assert(NOTIFYICONDATAA_V1_SIZE == 88, "the tray icon record has the 88-byte layout");
#endif

/*
 * The message the system's shell sends to every top-level window when it
 * has (re)started, with all tray icons gone; registered at init.
 */
static UINT TaskbarCreatedMessage;

void RegisterTrayMessages(void) { TaskbarCreatedMessage = RegisterWindowMessageA("TaskbarCreated"); }

bool IsTaskbarCreated(UINT message) { return message != 0 && message == TaskbarCreatedMessage; }

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

/* An item is either enabled, or grayed and disabled together. */
static void EnableCommand(HMENU menu, UINT command, bool enabled)
{
    EnableMenuItem(menu, command, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED | MF_DISABLED));
}

/*
 * Enables or grays the four items that need a current track in any menu of
 * the window (a menu without them is left alone), then shows the build
 * stamp in the window's items 1026 and 1027 where it has them.
 */
void InitialiseMenuItems(HMENU menu)
{
    bool haveFile = NowPlaying.FileName[0] != '\0';
    EnableCommand(menu, ID_COPY_TITLE, NowPlaying.Title[0] != '\0');
    EnableCommand(menu, ID_COPY_FILE_NAME, haveFile);
    EnableCommand(menu, ID_ADD_CURRENT_TRACK, haveFile && Settings.UseM3U && Settings.M3UFileName[0]);
    EnableCommand(menu, ID_COPY_TO_FAVORITES, haveFile && Settings.FavoritesDirectory[0]);
    ShowBuildStamp(PluginRecord.HostMainWindow);
}

/* The loaded menu is destroyed after tracking. */
void ShowCommandMenu(HWND owner)
{
    POINT cursor;
    GetCursorPos(&cursor);
    SetForegroundWindow(owner);
    HMENU menu = LoadMenuA(PluginRecord.ModuleInstance, MAKEINTRESOURCEA(IDR_POPUP_MENU));
    if (!menu)
        return;
    BeginModal(MODAL_MENU);
    TrackPopupMenu(GetSubMenu(menu, 0), TPM_CENTERALIGN, cursor.x + 1, cursor.y, 0, owner, NULL);
    EndModal();
    PostMessageA(owner, WM_NULL, 0, 0);
    DestroyMenu(menu);
}

/* The tray icon's callback: lParam is the mouse message. */
LRESULT AnswerTrayIcon(LPARAM mouseMessage)
{
    switch (mouseMessage) {
    case WM_LBUTTONDOWN:
        SendMessageA(PluginRecord.HostMainWindow, WM_COMMAND, ID_NOW_PLAYING, 0);
        return 1;
    case WM_RBUTTONDOWN:
        ShowCommandMenu(PluginRecord.HostMainWindow);
        return 1;
    }
    return 0;
}
