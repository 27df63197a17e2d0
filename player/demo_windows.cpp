/*
 * The demo's tour of the plug-in's windows: each is opened as the user
 * opens it (a tray click, a menu, a button, a command at the player's
 * window), shown at work, shot as the screen shows it, and closed again by
 * the demo itself, from inside the window's own modal loop where it has
 * one, so that nothing waits for a user.
 */
#include "player/demo.h"

#include "player/player.h"
#include "player/screenshot.h"
#include "res/resource.h"
#include "tests/rig/rig.h"

#include <commctrl.h>

#include <stdio.h>

#include <vector>

static const char ConfigurationCaption[] = "Tovk's WinAmp Logging/Play List Utility Plug-In";
/* Control ids of the platform's font picker (Wine's template). */
enum { FONT_FACE_BOX = 0x470, FONT_SIZE_BOX = 0x472 };
/* Calls of a dialog's OnDialog handler (about 20 ms apart) to wait after painting it, before the shot. */
enum { PAINT_CALLS = 5 };
/* The tray menu's thread timer: its period, and how many of its calls the menu may take before it is ended. */
enum { MENU_STEP_MS = 30, MENU_STEPS_MAX = 100 };

/* Paints a window and runs the player's message loop while the display catches up, before a shot. */
static void PaintAndSettle(HWND window)
{
    PaintNow(window);
    PlayerPumpFor(100);
}

/* The shown window of this class and caption after the thread's messages have run; a failure when there is none. */
static HWND Opened(const char *className, const char *caption, const char *what)
{
    PlayerPump();
    HWND window = FindShown(className, caption);
    if (!window)
        DemoFailed(what);
    return window;
}

static std::string ItemText(HWND dialog, int id)
{
    char text[MAX_PATH] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

/* ---- the configuration dialog and the pickers behind its buttons ---- */

/* Set by a picker's handler once it has shot the picker. */
static bool PickerShown;

/*
 * Clicks a button of the configuration dialog that opens a picker; once
 * painted, the picker is shot and cancelled from inside its own modal loop.
 */
static void OpenPicker(HWND dialog, int button, const char *caption, const char *name)
{
    PickerShown = false;
    rig::OnDialog(caption, [=](HWND picker, int call) {
        if (call == 0)
            PaintNow(picker);
        if (call < PAINT_CALLS || PickerShown)
            return;
        PickerShown = true;
        if (button == IDC_BACKGROUND)
            printf("  the colour picker \"%s\" is open\n", caption);
        else
            printf("  the font picker \"%s\" opens on \"%s\", size %s\n", caption,
                   ItemText(picker, FONT_FACE_BOX).c_str(), ItemText(picker, FONT_SIZE_BOX).c_str());
        Screenshot(picker, name);
        printf("  pressing Cancel\n");
        PostMessageA(picker, WM_COMMAND, IDCANCEL, 0);
    });
    SendMessageA(GetDlgItem(dialog, button), BM_CLICK, 0, 0);
    if (!PickerShown)
        DemoFailed(std::string("the picker \"") + caption + "\"");
}

/*
 * The configuration dialog, opened as the tray menu's "Configure" opens it:
 * what it shows and its screenshot; then its "Title" button opens the font
 * picker of the marquee's title row and its "Background" button the colour
 * picker; each is shot and cancelled.  OK closes the dialog.
 */
void ShowConfigurationDialogAndPickers(void)
{
    bool shown = false;
    rig::OnDialog(ConfigurationCaption, [&shown](HWND dialog, int call) {
        if (call == 0)
            PaintNow(dialog);
        if (call < PAINT_CALLS || shown)
            return;
        shown = true;
        char text[MAX_PATH];
        GetWindowTextA(dialog, text, sizeof text);
        printf("  dialog \"%s\" is open, owned by the player's window\n", text);
        printf("  log file \"%s\", use: %s\n", ItemText(dialog, IDC_LOG_EDIT).c_str(),
               IsDlgButtonChecked(dialog, IDC_USE_LOG) ? "yes" : "no");
        printf("  signature file \"%s\", use: %s\n", ItemText(dialog, IDC_SIGNATURE_EDIT).c_str(),
               IsDlgButtonChecked(dialog, IDC_USE_SIGNATURE) ? "yes" : "no");
        Screenshot(dialog, "config-dialog");
        printf("  \"Title\" of the marquee's fonts: the font picker\n");
        OpenPicker(dialog, IDC_FONT_TITLE, "Font", "font-picker");
        printf("  \"Background\" of the marquee: the colour picker\n");
        OpenPicker(dialog, IDC_BACKGROUND, "Color", "colour-picker");
        PrintNewBoxesAndDebugOutput();
        printf("  pressing OK\n");
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    printf("plug-in command ID_CONFIGURE (%u): the configuration dialog\n", (unsigned)ID_CONFIGURE);
    SendMessageA(PlayerWindow(), WM_COMMAND, ID_CONFIGURE, 0);
    if (!shown)
        DemoFailed("the configuration dialog");
    printf("  closed; the player's window is %s again\n", IsWindowEnabled(PlayerWindow()) ? "enabled" : "disabled");
    PrintNewBoxesAndDebugOutput();
}

/*
 * The Stream Outputs window, opened as the tray menu's "Stream Outputs..."
 * opens it: its files, template and preview, and its screenshot; OK
 * closes it.
 */
void ShowStreamOutputs(void)
{
    bool shown = false;
    rig::OnDialog("Stream Outputs", [&shown](HWND dialog, int call) {
        if (call == 0)
            PaintNow(dialog);
        if (call < PAINT_CALLS || shown)
            return;
        shown = true;
        printf("  text file \"%s\", template \"%s\", preview \"%s\"\n", ItemText(dialog, IDC_STREAM_TEXT_EDIT).c_str(),
               ItemText(dialog, IDC_STREAM_TEMPLATE).c_str(), ItemText(dialog, IDC_STREAM_PREVIEW).c_str());
        printf("  cover file \"%s\", largest side %s pixels\n", ItemText(dialog, IDC_STREAM_COVER_EDIT).c_str(),
               ItemText(dialog, IDC_STREAM_COVER_SIZE).c_str());
        Screenshot(dialog, "stream-outputs");
        printf("  pressing OK\n");
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    printf("plug-in command ID_STREAM_OUTPUTS (%u): the Stream Outputs window\n", (unsigned)ID_STREAM_OUTPUTS);
    SendMessageA(PlayerWindow(), WM_COMMAND, ID_STREAM_OUTPUTS, 0);
    if (!shown)
        DemoFailed("the Stream Outputs window");
    PrintNewBoxesAndDebugOutput();
}

/* ---- the Now Playing and Control Panel dialogs ---- */

/* The dialog's buttons by their texts, the disabled ones marked. */
static void PrintButtons(HWND dialog)
{
    std::string buttons;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char className[16], text[64];
        GetClassNameA(child, className, sizeof className);
        LONG style = GetWindowLongA(child, GWL_STYLE) & BS_TYPEMASK;
        if (lstrcmpiA(className, "Button") != 0 || style == BS_GROUPBOX)
            continue;
        GetWindowTextA(child, text, sizeof text);
        buttons += std::string(buttons.empty() ? "" : ", ") + "\"" + text + "\"" +
                   (IsWindowEnabled(child) ? "" : " (disabled)");
    }
    printf("  buttons: %s\n", buttons.c_str());
}

static void PrintNowPlayingFields(HWND dialog)
{
    const struct {
        int Id;
        const char *Label;
    } fields[] = {{IDC_NP_FILE_NAME, "file name"},     {IDC_NP_TITLE, "title"},
                  {IDC_NP_PLAY_LENGTH, "play length"}, {IDC_NP_PLAYLIST_ENTRY, "playlist entry"},
                  {IDC_NP_TAG_TITLE, "tag title"},     {IDC_NP_TAG_ARTIST, "tag artist"},
                  {IDC_NP_TAG_ALBUM, "tag album"},     {IDC_NP_TAG_COMMENT, "tag comment"}};
    for (const auto &field : fields)
        printf("  %s: \"%s\"\n", field.Label, ItemText(dialog, field.Id).c_str());
}

/*
 * A left click on the tray icon opens the Now Playing dialog with the
 * current track; its "Switch View" replaces it by the Control Panel.  When
 * the player's window takes the foreground the dialog hides itself.
 *
 * Where this system cannot draw, the Now Playing layout is skipped (its
 * edits would be given texts), and the Control Panel is opened by the same
 * command that "Switch View" sends.
 */
void ShowNowPlayingDialogs(bool canDraw)
{
    if (canDraw) {
        printf("tray icon, left click: the Now Playing dialog\n");
        SendMessageA(PlayerWindow(), WM_TRAY_NOTIFY, TRAY_ICON_ID, WM_LBUTTONDOWN);
        HWND dialog = Opened("#32770", "Now Playing", "the Now Playing dialog");
        if (!dialog)
            return;
        PrintNowPlayingFields(dialog);
        PaintAndSettle(dialog);
        Screenshot(dialog, "now-playing");
        printf("  \"Switch View\": the Control Panel\n");
        SendMessageA(GetDlgItem(dialog, IDC_SWITCH_VIEW), BM_CLICK, 0, 0);
    } else {
        printf("plug-in command IDC_SWITCH_VIEW (%u), as the dialog's \"Switch View\" sends it: the Control Panel\n",
               (unsigned)IDC_SWITCH_VIEW);
        SendMessageA(PlayerWindow(), WM_COMMAND, IDC_SWITCH_VIEW, 0);
    }
    HWND panel = Opened("#32770", "Control Panel", "the Control Panel dialog");
    if (!panel)
        return;
    printf("  dialog \"Control Panel\" is open\n");
    PrintButtons(panel);
    if (canDraw) {
        PaintAndSettle(panel);
        Screenshot(panel, "control-panel");
    }
    SetForegroundWindow(PlayerWindow());
    PlayerPump();
    printf("  the player's window takes the foreground: the dialog is %s\n",
           IsWindowVisible(panel) ? "still shown" : "hidden");
    PrintNewBoxesAndDebugOutput();
}

/* ---- the tray menu ---- */

static struct {
    bool CanDraw;
    int Steps;     /* calls of the timer so far */
    bool Printed;  /* the items have been printed and the keys posted */
    int BothShown; /* calls since the menu and its submenu were first both shown */
    bool Shot;     /* the screenshot was taken */
    HWND Strip;    /* the notification area's stand-in, beside the menu */
} TrayMenu;

static std::vector<HWND> ShownMenus(void)
{
    std::vector<HWND> menus;
    for (HWND menu = NULL; (menu = FindWindowExA(NULL, menu, "#32768", NULL)) != NULL;)
        if (IsWindowVisible(menu) && GetWindowThreadProcessId(menu, NULL) == GetCurrentThreadId())
            menus.push_back(menu);
    return menus;
}

/* The items of the shown menu, in one line: grayed items marked, separators as "--", submenus with ">". */
static void PrintMenuItems(HWND window)
{
    HMENU menu = (HMENU)SendMessageA(window, MN_GETHMENU, 0, 0);
    std::string items;
    for (int i = 0; i < GetMenuItemCount(menu); i++) {
        char text[128] = "";
        UINT state = GetMenuState(menu, i, MF_BYPOSITION);
        GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
        items += items.empty() ? "" : ", ";
        if (state & MF_SEPARATOR)
            items += "--";
        else
            items += std::string("\"") + text + "\"" + ((state & MF_POPUP) ? " >" : "") +
                     ((state & (MF_GRAYED | MF_DISABLED)) ? " (grayed)" : "");
    }
    printf("  the menu: %s\n", items.c_str());
}

/*
 * Run by the menu's own modal loop: prints the items, opens the submenu
 * "Marquee Fonts" with the keys a user would press (down to its item, then
 * right), shoots the screen around both menus once they have painted, and
 * ends the menu.  A menu that does not come up in time is ended too.
 */
static void CALLBACK DriveTrayMenu(HWND, UINT, UINT_PTR timer, DWORD)
{
    std::vector<HWND> menus = ShownMenus();
    if (++TrayMenu.Steps > MENU_STEPS_MAX) {
        KillTimer(NULL, timer);
        EndMenu();
        return;
    }
    if (menus.empty())
        return;
    if (!TrayMenu.Printed) {
        TrayMenu.Printed = true;
        PrintMenuItems(menus[0]);
        if (!TrayMenu.CanDraw)
            return;
        for (int i = 0; i < 4; i++) /* "Command", "Now Playing", "Marquee", "Marquee Fonts" */
            PostMessageA(menus[0], WM_KEYDOWN, VK_DOWN, 0);
        PostMessageA(menus[0], WM_KEYDOWN, VK_RIGHT, 0);
        return;
    }
    if (TrayMenu.CanDraw) {
        if (menus.size() < 2)
            return;
        if (++TrayMenu.BothShown == 1)
            for (HWND menu : menus)
                PaintNow(menu);
        if (TrayMenu.BothShown < PAINT_CALLS)
            return;
        RECT area = {0, 0, 0, 0};
        if (TrayMenu.Strip)
            GetWindowRect(TrayMenu.Strip, &area);
        for (HWND menu : menus) {
            RECT shown;
            GetWindowRect(menu, &shown);
            UnionRect(&area, &area, &shown);
        }
        printf("  the submenu \"Marquee Fonts\" is open\n");
        TrayMenu.Shot = true;
        KillTimer(NULL, timer); /* the shot dispatches the thread's messages */
        ScreenshotOfRegion(area, "tray-menu");
    }
    KillTimer(NULL, timer);
    EndMenu();
}

/*
 * A right click on the tray icon: the plug-in's popup menu opens at the
 * mouse pointer, which the demo first moves where a tray icon might be.
 */
/* The notification area as the demo draws it: the icon the plug-in gave the shell, on the face colour. */
static LRESULT CALLBACK TrayStripProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_PAINT)
        return DefWindowProcA(window, message, wParam, lParam);
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT area;
    GetClientRect(window, &area);
    FillRect(dc, &area, GetSysColorBrush(COLOR_BTNFACE));
    HICON icon = (HICON)GetWindowLongPtrA(window, GWLP_USERDATA);
    if (icon)
        DrawIconEx(dc, (area.right - 16) / 2, (area.bottom - 16) / 2, icon, 16, 16, 0, NULL, DI_NORMAL);
    EndPaint(window, &paint);
    return 0;
}

/*
 * A strip standing for the notification area of a taskbar at the top of
 * the screen, its icon just above the cursor, showing the plug-in's tray
 * icon, so that the menu's picture (the menu opens below the cursor) shows
 * what was clicked.  None where the plug-in gave no icon.
 */
static HWND ShowTrayStrip(int cursorX, int cursorY)
{
    HICON icon = NULL;
    for (const rig::TrayCall &call : rig::TrayCalls())
        if (call.Action == NIM_ADD && call.Icon)
            icon = call.Icon;
    if (!icon)
        return NULL;
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = TrayStripProc;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.lpszClassName = "KestruneDemoTray";
    RegisterClassA(&windowClass);
    HWND strip = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, "KestruneDemoTray", "", WS_POPUP | WS_BORDER,
                                 cursorX - 40, cursorY - 27, 80, 26, NULL, NULL, windowClass.hInstance, NULL);
    SetWindowLongPtrA(strip, GWLP_USERDATA, (LONG_PTR)icon);
    ShowWindow(strip, SW_SHOWNOACTIVATE);
    PaintNow(strip);
    return strip;
}

void ShowTrayMenu(bool canDraw)
{
    printf("tray icon, right click: the popup menu\n");
    TrayMenu = {};
    TrayMenu.CanDraw = canDraw;
    SetCursorPos(560, 60);
    if (canDraw)
        TrayMenu.Strip = ShowTrayStrip(560, 60);
    UINT_PTR timer = SetTimer(NULL, 0, MENU_STEP_MS, DriveTrayMenu);
    SendMessageA(PlayerWindow(), WM_TRAY_NOTIFY, TRAY_ICON_ID, WM_RBUTTONDOWN);
    KillTimer(NULL, timer);
    PlayerPump();
    if (!TrayMenu.Printed)
        DemoFailed("the tray menu");
    else if (canDraw && !TrayMenu.Shot)
        DemoFailed("the tray menu's submenu \"Marquee Fonts\"");
    printf("  the menu is closed: %s\n", ShownMenus().empty() ? "yes" : "no");
    if (TrayMenu.Strip)
        DestroyWindow(TrayMenu.Strip);
    PrintNewBoxesAndDebugOutput();
}

/* ---- the cue point tweaker ---- */

/*
 * IDC_CUE_SHEET at the player's window opens the tweaker on the player's
 * position; its up-down control moves the location twelve frames up, as
 * holding its arrow does, and "Seek" sends the player there.  "OK" closes
 * it.
 */
void ShowCuePointTweaker(void)
{
    printf("plug-in command IDC_CUE_SHEET (%u): the cue point tweaker\n", (unsigned)IDC_CUE_SHEET);
    SendMessageA(PlayerWindow(), WM_COMMAND, IDC_CUE_SHEET, 0);
    HWND tweaker = Opened("#32770", "Cue Point Tweaker", "the cue point tweaker");
    if (!tweaker)
        return;
    printf("  it opens on the player's position (%d ms): %s\n", Player().OutputMs,
           ItemText(tweaker, IDC_CUE_LOCATION).c_str());
    HWND spin = GetDlgItem(tweaker, IDC_CUE_SPIN);
    LRESULT middle = SendMessageA(spin, UDM_GETPOS, 0, 0);
    SendMessageA(tweaker, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, LOWORD(middle) + 12), (LPARAM)spin);
    printf("  twelve steps up: %s\n", ItemText(tweaker, IDC_CUE_LOCATION).c_str());
    size_t jumps = Player().Jumps.size();
    SendMessageA(GetDlgItem(tweaker, IDC_CUE_SEEK), BM_CLICK, 0, 0);
    for (size_t i = jumps; i < Player().Jumps.size(); i++)
        printf("  \"Seek\": the player jumps to %d ms\n", Player().Jumps[i]);
    PrintNewBoxesAndDebugOutput();
    PaintAndSettle(tweaker);
    Screenshot(tweaker, "cue-point-tweaker");
    SendMessageA(GetDlgItem(tweaker, IDOK), BM_CLICK, 0, 0);
    PlayerPump();
    printf("  \"OK\": the tweaker is %s\n", IsWindow(tweaker) ? "still open" : "closed");
}

/* ---- the marquee ---- */

/*
 * "Marquee" opens the marquee over the work area; the poller's next tick
 * reaches it, and it paints the four rows in the fonts and colours of the
 * demo's plugin.ini.  A left click anywhere closes it.
 */
void ShowMarquee(void)
{
    printf("plug-in command ID_MARQUEE (%u): the marquee\n", (unsigned)ID_MARQUEE);
    SendMessageA(PlayerWindow(), WM_COMMAND, ID_MARQUEE, 0);
    HWND marquee = Opened("gen_Kestrune_MARQUEE", NULL, "the marquee");
    if (!marquee)
        return;
    RECT area;
    GetWindowRect(marquee, &area);
    printf("  it covers (%ld, %ld)-(%ld, %ld)\n", area.left, area.top, area.right, area.bottom);
    rig::Tick();
    PlayerPump();
    size_t drawn = rig::DrawnTexts().size();
    PaintAndSettle(marquee);
    std::string rows;
    for (size_t i = drawn; i < rig::DrawnTexts().size(); i++)
        rows += std::string(rows.empty() ? "" : ", ") + "\"" + rig::DrawnTexts()[i].Text + "\"";
    printf("  rows drawn: %s\n", rows.c_str());
    PrintNewBoxesAndDebugOutput();
    RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    ScreenshotOfRegion(screen, "marquee");
    SendMessageA(marquee, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    PlayerPump();
    printf("  a left click: the marquee is %s\n", IsWindow(marquee) ? "still open" : "closed");
}
