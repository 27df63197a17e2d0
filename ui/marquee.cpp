/*
 * The marquee: a borderless window over the desktop's work area that shows
 * the current track's title, artist and album and a time line, one row each,
 * centred, in the fonts and colours of the four line styles, and blinks once
 * a second while the player is not playing.  It has no timer of its own: the
 * poller sends it a WM_TIMER on every tick.  A left click closes it, a right
 * click opens the plug-in's command menu, and keystrokes go to the player.
 *
 * The window class is registered under the player's own module, once, at
 * the first "Marquee" command, and unregistered at quit: a class left behind
 * would name this DLL's procedure after the DLL is gone.
 */
#include "kestrune.h"

#include <string.h>
#include <strsafe.h>

static const char MarqueeClassName[] = "gen_Kestrune_MARQUEE";
static const char MarqueeMenuName[] = "gen_Kestrune";
static const char SourceName[] = "gen_Kestrune";
/* The class's own background; the window paints its own, so it never shows. */
static const COLORREF ClassBackground = RGB(127, 127, 255);
/* Where the title image is copied to in the window. */
enum { TITLE_IMAGE_X = 10, TITLE_IMAGE_Y = 10, ROW_COUNT = 4 };

/*
 * An image of the cached title drawn off-screen: its three objects are made
 * together when the tag changes and released together.  The image exists
 * exactly when Bitmap is set.
 */
struct TitleImageRecord {
    struct {
        UINT Width;
        UINT Height;
    } Extent;
    HDC MemoryContext;
    HBITMAP Bitmap;
    HFONT ImageFont;
};

HWND MarqueeWindow;
/* Set just before the first attempt to register the class; cleared at quit. */
static bool MarqueeClassRegistered;
/* The class as registered by this module (none when registration failed) and its brush. */
static ATOM MarqueeClassAtom;
static HBRUSH MarqueeClassBrush;
static HBRUSH MarqueeBackgroundBrush;
static UINT MarqueeTickCount;
/* The track's tag record and texts as last seen by the tick: a change of either rebuilds the title image. */
struct MarqueeTrackRecord {
    Id3v1Tag Tag;
    TrackTexts Texts;
};
static MarqueeTrackRecord MarqueeTagCache;
static TitleImageRecord MarqueeTitleImage;

static LRESULT CALLBACK MarqueeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

/* ---- opening and closing ------------------------------------------------- */

static bool RegisterMarqueeClass(void)
{
    WNDCLASSA windowClass;
    ZeroMemory(&windowClass, sizeof windowClass);
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    windowClass.lpfnWndProc = MarqueeWindowProc;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.hIcon = LoadIconA(PluginRecord.ModuleInstance, MAKEINTRESOURCEA(IDI_KESTRUNE));
    windowClass.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    windowClass.hbrBackground = MarqueeClassBrush = CreateSolidBrush(ClassBackground);
    windowClass.lpszMenuName = MarqueeMenuName;
    windowClass.lpszClassName = MarqueeClassName;
    MarqueeClassAtom = RegisterClassA(&windowClass);
    if (MarqueeClassAtom)
        return true;
    DeleteObject(MarqueeClassBrush);
    MarqueeClassBrush = NULL;
    return false;
}

/*
 * The desktop's work area; when the system cannot tell it, the failure is
 * reported and the primary monitor's whole screen is used instead.
 */
static void GetMarqueeRectangle(RECT *area)
{
    if (SystemParametersInfoA(SPI_GETWORKAREA, 0, area, 0))
        return;
    ReportSystemError(PluginRecord.HostMainWindow, GetLastError(), SourceName, ERROR_LINE_WORK_AREA);
    SetRect(area, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
}

/*
 * Set while a marquee is being opened.  The failure boxes of the opening run
 * modal loops in which the next "Marquee" command can arrive; opening a
 * second marquee there would leave the first one untracked, alive after the
 * DLL is gone.  Such a request does nothing: the opening under way ends with
 * exactly one marquee.
 */
static bool MarqueeOpening;

/*
 * An open marquee is replaced by a new one, which reads the work area and
 * the background colour afresh.  Nothing is created once the player has
 * quit the plug-in from inside one of the failure boxes.
 */
static void ReplaceMarquee(void)
{
    HWND host = PluginRecord.HostMainWindow;
    if (MarqueeWindow)
        DestroyWindow(MarqueeWindow);
    MarqueeWindow = NULL;
    if (!MarqueeClassRegistered) {
        MarqueeClassRegistered = true;
        if (!RegisterMarqueeClass())
            ShowBox(host, "Could not create marquee window class", "Error",
                    MB_ICONERROR | MB_TASKMODAL | MB_SETFOREGROUND | MB_TOPMOST);
    }
    if (!PluginRunning)
        return;
    RECT area;
    GetMarqueeRectangle(&area);
    if (!PluginRunning)
        return;
    MarqueeWindow =
        CreateWindowExA(WS_EX_TOOLWINDOW, MarqueeClassName, "", WS_POPUP | WS_VISIBLE, area.left, area.top,
                        area.right - area.left, area.bottom - area.top, NULL, NULL, GetModuleHandleA(NULL), NULL);
    if (MarqueeWindow)
        ShowWindow(MarqueeWindow, SW_SHOW);
    else
        ReportSystemError(host, GetLastError(), SourceName, ERROR_LINE_MARQUEE_WINDOW);
}

/* The "Marquee" command. */
void OpenMarqueeWindow(void)
{
    if (MarqueeOpening)
        return;
    MarqueeOpening = true;
    ReplaceMarquee();
    MarqueeOpening = false;
}

void CloseMarqueeWindow(void)
{
    if (MarqueeWindow)
        DestroyWindow(MarqueeWindow);
    MarqueeWindow = NULL;
    /* Unregistering deletes the class's background brush. */
    if (MarqueeClassAtom && !UnregisterClassA(MarqueeClassName, GetModuleHandleA(NULL)))
        DeleteObject(MarqueeClassBrush);
    MarqueeClassAtom = 0;
    MarqueeClassBrush = NULL;
    MarqueeClassRegistered = false;
    MarqueeOpening = false;
}

/*
 * A text as the marquee shows it: the track's texts, from its tag or from
 * the player, as the player gives them in any script.  A file with
 * neither has none: its last 128 bytes are sound, not texts, so it shows
 * none, as the Now Playing window does.
 */
static const wchar_t *ShownText(const TrackTexts *texts, const wchar_t *text) { return texts->Known ? text : L""; }

/* ---- the title image ------------------------------------------------------ */

/* The memory context goes first: the font and the bitmap are selected into it. */
static void ReleaseTitleImage(void)
{
    if (MarqueeTitleImage.MemoryContext)
        DeleteDC(MarqueeTitleImage.MemoryContext);
    if (MarqueeTitleImage.Bitmap)
        DeleteObject(MarqueeTitleImage.Bitmap);
    if (MarqueeTitleImage.ImageFont)
        DeleteObject(MarqueeTitleImage.ImageFont);
    ZeroMemory(&MarqueeTitleImage, sizeof MarqueeTitleImage);
}

/* The cached title on the marquee's background, in the Title font and colour, filling the extent. */
static void DrawTitleImage(const wchar_t *title, int length)
{
    HDC context = MarqueeTitleImage.MemoryContext;
    RECT extent = {0, 0, (LONG)MarqueeTitleImage.Extent.Width, (LONG)MarqueeTitleImage.Extent.Height};
    SelectObject(context, MarqueeTitleImage.Bitmap);
    SetBkColor(context, Settings.MarqueeBackground);
    SetTextColor(context, Settings.Title.Foreground);
    ExtTextOutW(context, 0, 0, ETO_OPAQUE, &extent, title, (UINT)length, NULL);
}

/*
 * Measures the cached title in the Title font and draws it off-screen.  The
 * bitmap takes the window's format: one compatible with the fresh memory
 * context would have a single bit per pixel and lose the colours.  Without
 * a memory context there is no image.
 */
static void BuildTitleImage(HWND window)
{
    const wchar_t *title = ShownText(&MarqueeTagCache.Texts, MarqueeTagCache.Texts.Title);
    int length = (int)wcsnlen(title, TRACK_TEXT_SIZE);
    HDC windowContext = GetDC(window);
    MarqueeTitleImage.MemoryContext = CreateCompatibleDC(windowContext);
    MarqueeTitleImage.ImageFont = CreateFontIndirectA(&Settings.Title.Font);
    SelectObject(MarqueeTitleImage.MemoryContext, MarqueeTitleImage.ImageFont);
    SIZE size = {0, 0};
    GetTextExtentPoint32W(MarqueeTitleImage.MemoryContext, title, length, &size);
    MarqueeTitleImage.Extent.Width = (UINT)size.cx;
    MarqueeTitleImage.Extent.Height = (UINT)size.cy;
    char text[64];
    StringCchPrintfA(text, sizeof text, "creation extent: (0x%08x) %ux%u\n",
                     (unsigned)(UINT_PTR)MarqueeTitleImage.MemoryContext, MarqueeTitleImage.Extent.Width,
                     MarqueeTitleImage.Extent.Height);
    OutputDebugStringA(text);
    if (MarqueeTitleImage.MemoryContext)
        MarqueeTitleImage.Bitmap = CreateCompatibleBitmap(windowContext, size.cx, size.cy);
    if (MarqueeTitleImage.Bitmap)
        DrawTitleImage(title, length);
    ReleaseDC(window, windowContext);
}

/* ---- painting ------------------------------------------------------------- */

/*
 * The time row while the player plays: elapsed and remaining minutes and
 * seconds.  A length the player does not know (negative, as for a stream)
 * shows the elapsed time alone, a length shorter than the elapsed time
 * leaves 00:00 remaining, and a position the player does not know counts
 * as 0: none of them shows a number wrapped round.
 */
static void MakeTimeText(wchar_t *text, size_t size)
{
    int position = GetOutputTime(HOST_OUTPUT_POSITION_MS);
    int length = GetOutputTime(HOST_OUTPUT_LENGTH_SECONDS);
    UINT elapsed = position > 0 ? (UINT)position / 1000 : 0;
    if (length < 0) {
        StringCchPrintfW(text, size, L"%02u:%02u", elapsed / 60, elapsed % 60);
        return;
    }
    UINT remaining = (UINT)length > elapsed ? (UINT)length - elapsed : 0;
    StringCchPrintfW(text, size, L"%02u:%02u - %02u:%02u", elapsed / 60, elapsed % 60, remaining / 60, remaining % 60);
}

/* Rows 1 to 4 at k fifths of the height, centred; a row switched off leaves its place empty. */
static void DrawRows(HDC context, int x, int rowHeight, const wchar_t *timeText)
{
    const MarqueeLineStyle *styles[ROW_COUNT] = {&Settings.Title, &Settings.Artist, &Settings.Album, &Settings.Time};
    const TrackTexts *track = &NowPlaying.Texts;
    const wchar_t *texts[ROW_COUNT] = {ShownText(track, track->Title), ShownText(track, track->Artist),
                                       ShownText(track, track->Album), timeText};
    for (int k = 1; k <= ROW_COUNT; k++) {
        const MarqueeLineStyle *style = styles[k - 1];
        if (!style->Display)
            continue;
        SetTextColor(context, style->Foreground);
        HFONT font = CreateFontIndirectA(&style->Font);
        HGDIOBJ previous = SelectObject(context, font);
        TextOutW(context, x, k * rowHeight, texts[k - 1], (int)wcsnlen(texts[k - 1], TRACK_TEXT_SIZE));
        SelectObject(context, previous);
        DeleteObject(font);
    }
}

/* Copies the title image to (10, 10); false, with the error, when the copy fails. */
static bool CopyTitleImage(HDC context, DWORD *error)
{
    const TitleImageRecord &image = MarqueeTitleImage;
    if (!BitBlt(context, TITLE_IMAGE_X, TITLE_IMAGE_Y, (int)image.Extent.Width, (int)image.Extent.Height,
                image.MemoryContext, 0, 0, SRCCOPY)) {
        *error = GetLastError();
        return false;
    }
    char text[48];
    StringCchPrintfA(text, sizeof text, "copy extent: %ux%u\n", image.Extent.Width, image.Extent.Height);
    OutputDebugStringA(text);
    return true;
}

/*
 * The rows and the title image show while the player plays, and on odd
 * ticks otherwise.  A failed image copy is reported once the paint has
 * ended, as one box of its kind: every later paint fails the same way,
 * also inside that box's own modal loop.
 */
static LRESULT PaintMarquee(HWND window)
{
    wchar_t timeText[32] = L"";
    bool playing = GetPlayStatus() == HOST_STATUS_PLAYING;
    if (playing)
        MakeTimeText(timeText, sizeof timeText / sizeof timeText[0]);
    PAINTSTRUCT paint;
    HDC context = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    SetTextAlign(context, TA_CENTER | TA_TOP);
    SetBkColor(context, Settings.MarqueeBackground);
    bool copyFailed = false;
    DWORD error = 0;
    if (playing || (MarqueeTickCount & 1)) {
        DrawRows(context, client.right / 2, client.bottom / 5, timeText);
        if (MarqueeTitleImage.Bitmap)
            copyFailed = !CopyTitleImage(context, &error);
    }
    EndPaint(window, &paint);
    if (copyFailed)
        ReportSystemError(BOX_MARQUEE_IMAGE_COPY, window, error, SourceName, ERROR_LINE_TITLE_IMAGE_COPY);
    return 1;
}

static LRESULT EraseMarquee(HWND window, HDC context)
{
    RECT client;
    SetMapMode(context, MM_TEXT);
    GetClientRect(window, &client);
    FillRect(context, &client, MarqueeBackgroundBrush);
    return 1;
}

/* ---- the window's life ------------------------------------------------------ */

/* A changed tag rebuilds the title image; every tick counts and repaints the whole window. */
static LRESULT TickMarquee(HWND window)
{
    if (memcmp(&NowPlaying.Tag, &MarqueeTagCache.Tag, sizeof MarqueeTagCache.Tag) != 0 ||
        memcmp(&NowPlaying.Texts, &MarqueeTagCache.Texts, sizeof MarqueeTagCache.Texts) != 0) {
        MarqueeTagCache.Tag = NowPlaying.Tag;
        MarqueeTagCache.Texts = NowPlaying.Texts;
        ReleaseTitleImage();
        BuildTitleImage(window);
    }
    MarqueeTickCount++;
    InvalidateRect(window, NULL, TRUE);
    return 1;
}

static LRESULT CreateMarquee(void)
{
    ZeroMemory(&MarqueeTagCache, sizeof MarqueeTagCache);
    ZeroMemory(&MarqueeTitleImage, sizeof MarqueeTitleImage);
    /* Kept on purpose: made once, so a colour chosen later fills the background only in the next marquee. */
    MarqueeBackgroundBrush = CreateSolidBrush(Settings.MarqueeBackground);
    MarqueeTickCount = 0;
    return 1;
}

static LRESULT DestroyMarquee(void)
{
    if (MarqueeBackgroundBrush)
        DeleteObject(MarqueeBackgroundBrush);
    MarqueeBackgroundBrush = NULL;
    ReleaseTitleImage();
    MarqueeWindow = NULL;
    return 1;
}

/* Keys and the menu's commands go on to the player's window, where the hook sees the commands. */
static LRESULT PassToPlayer(UINT message, WPARAM wParam, LPARAM lParam)
{
    return SendMessageA(PluginRecord.HostMainWindow, message, wParam, lParam);
}

static LRESULT CALLBACK MarqueeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    PluginFrame frame;
    switch (message) {
    case WM_CREATE:
        return CreateMarquee();
    case WM_DESTROY:
        return DestroyMarquee();
    case WM_PAINT:
        return PaintMarquee(window);
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_ERASEBKGND:
        return EraseMarquee(window, (HDC)wParam);
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_COMMAND:
        return PassToPlayer(message, wParam, lParam);
    case WM_TIMER:
        return TickMarquee(window);
    case WM_LBUTTONDOWN:
        DestroyWindow(window);
        return 1;
    case WM_RBUTTONDOWN:
        /* Kept on purpose: no item enabling reaches this menu, so every item shows enabled. */
        ShowCommandMenu(window);
        return 1;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
