/*
 * The marquee with the real DLL in the stand-in player: class and window,
 * forwarded ticks, rows, blinking and the time row, the title image (pixels
 * read back from the window), keys and menu choices, closing, failures,
 * quit with the marquee open, and the objects it holds over time.
 */
#include "tests/rig/fixture.h"

#include <algorithm>
#include <functional>

namespace
{

const char ClassName[] = "gen_Kestrune_MARQUEE";
const char *const RowNames[] = {"Title", "Artist", "Album", "Time"};
const COLORREF RowColours[] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(255, 255, 0)};
const COLORREF Background = RGB(16, 32, 48);
/* Large and bold, so that the anti-aliased glyphs keep many pixels of the exact colour. */
const char BigFont[] = "-100:0:0:0:700:0:0:0:0:0:0:0:0";
const std::vector<std::string> Tracks[] = {{"Alpha", "Beta", "Gamma"}, {"Delta", "Epsilon", "Zeta"}};

/* This thread's shown windows of a class: other test programs share the display. */
std::vector<HWND> Shown(const char *className)
{
    std::vector<HWND> windows;
    for (HWND window = NULL; (window = FindWindowExA(NULL, window, className, NULL)) != NULL;)
        if (IsWindowVisible(window) && GetWindowThreadProcessId(window, NULL) == GetCurrentThreadId())
            windows.push_back(window);
    return windows;
}

/* Windows activated while the hook is on; none is activated at all while RefuseActivation is set. */
std::vector<HWND> Activated;
bool RefuseActivation;
LRESULT CALLBACK WatchActivation(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE)
        Activated.push_back((HWND)wParam);
    return code == HCBT_ACTIVATE && RefuseActivation ? 1 : CallNextHookEx(NULL, code, wParam, lParam);
}

/* Run by the popup menu's own loop: presses MenuDowns times "down", then Enter. */
int MenuDowns;
void CALLBACK PressInMenu(HWND, UINT, UINT_PTR timer, DWORD)
{
    std::vector<HWND> menus = Shown("#32768");
    if (menus.empty())
        return;
    KillTimer(NULL, timer);
    for (int i = 0; i < MenuDowns; i++)
        PostMessageA(menus[0], WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(menus[0], WM_KEYDOWN, VK_RETURN, 0);
}

/* Pixels of exactly this colour in a rectangle of the window as drawn, read back from its device context. */
size_t CountPixels(HWND window, COLORREF colour, RECT rect)
{
    BITMAPINFO info = {};
    info.bmiHeader = {
        sizeof(BITMAPINFOHEADER), rect.right - rect.left, rect.top - rect.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    HDC source = GetDC(window), copy = CreateCompatibleDC(source);
    DWORD *bits = NULL;
    HBITMAP bitmap = CreateDIBSection(copy, &info, DIB_RGB_COLORS, (void **)&bits, NULL, 0);
    HGDIOBJ old = SelectObject(copy, bitmap);
    BitBlt(copy, 0, 0, rect.right - rect.left, rect.bottom - rect.top, source, rect.left, rect.top, SRCCOPY);
    DWORD wanted = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
    size_t count = std::count(bits, bits + (rect.right - rect.left) * (rect.bottom - rect.top), wanted);
    SelectObject(copy, old);
    DeleteObject(bitmap);
    DeleteDC(copy);
    ReleaseDC(window, source);
    return count;
}

class Marquee : public PluginTest
{
  protected:
    /*
     * Starts the plug-in afresh with the rows of shown (bits 0 to 3: title to
     * time) on, and the player playing the first of two tagged tracks, which
     * the poller has taken.
     */
    void Start(unsigned shown = 0xF, const char *font = BigFont)
    {
        if (Running())
            StopPlugin();
        rig::Reset();
        std::string settings = "AlwaysConfigureOnLaunch=0\r\nUseNowPlaying=0\r\nUseSignature=0\r\nUseLog=0\r\n"
                               "MarqueeBackground=" +
                               std::to_string(Background) + "\r\n";
        for (int k = 0; k < 4; k++)
            settings += std::string("Font_") + RowNames[k] + "_Description=" + font + "\r\nFONT_" + RowNames[k] +
                        "_Display=" + std::to_string((shown >> k) & 1) + "\r\nMarqueeForeground_" + RowNames[k] + "=" +
                        std::to_string(RowColours[k]) + "\r\n";
        WriteSettings(settings);
        ASSERT_EQ(StartPlugin(), 0);
        for (int i = 0; i < 2; i++) {
            std::string tag = "TAG";
            for (const std::string &text : Tracks[i])
                tag += text + std::string(30 - text.size(), '\0');
            rig::WriteFile(Path(std::to_string(i) + ".mp3"), std::string(200, 'x') + tag + std::string(35, '\0'));
        }
        SetPlaylist({Path("0.mp3"), Path("1.mp3")});
        Player().Status = HOST_STATUS_PLAYING;
        Player().OutputMs = 187500;
        Player().LengthSeconds = 302;
        rig::Tick();
    }
    HWND Open()
    {
        Command(ID_MARQUEE);
        std::vector<HWND> windows = Shown(ClassName);
        return windows.size() == 1 ? windows[0] : NULL;
    }
    void TickAndPaint(HWND marquee)
    {
        rig::Tick();
        UpdateWindow(marquee);
    }
    /* Every TextOutA since the last call, as "x,y text". */
    std::vector<std::string> Drawn()
    {
        std::vector<std::string> texts;
        for (const rig::DrawnText &text : rig::DrawnTexts())
            texts.push_back(std::to_string(text.X) + "," + std::to_string(text.Y) + " " + text.Text);
        rig::DrawnTexts().clear();
        return texts;
    }
    /* The rows of the first track with this time, all shown: centred in the test display's 1280 x 1024 work area. */
    std::vector<std::string> Rows(const std::string &time)
    {
        return {"640,204 " + Tracks[0][0], "640,408 " + Tracks[0][1], "640,612 " + Tracks[0][2], "640,816 " + time};
    }
    /*
     * Right-clicks the marquee and chooses an item of its menu until done.  A
     * menu closes when another program takes the foreground: one closed so
     * before the keys reached it is shown again.
     */
    void ChooseInMenu(HWND marquee, int downs, const std::function<bool()> &done)
    {
        for (int attempt = 0; attempt < 3 && !done(); attempt++) {
            MenuDowns = downs;
            UINT_PTR timer = SetTimer(NULL, 0, 20, PressInMenu);
            EXPECT_EQ(1, SendMessageA(marquee, WM_RBUTTONDOWN, 0, 0));
            KillTimer(NULL, timer);
            PlayerPump();
        }
    }
};

TEST_F(Marquee, ClassAndWindowOverTheWorkAreaOneAtATime)
{
    Start();
    HHOOK hook = SetWindowsHookExA(WH_CBT, WatchActivation, NULL, GetCurrentThreadId());
    HWND first = Open();
    UnhookWindowsHookEx(hook);
    ASSERT_TRUE(first);
    EXPECT_EQ(std::vector<HWND>{first}, Activated) << "activated";
    WNDCLASSA windowClass;
    EXPECT_FALSE(GetClassInfoA(PlayerPluginModule(), ClassName, &windowClass)) << "not under the DLL's module";
    ASSERT_TRUE(GetClassInfoA(GetModuleHandleA(NULL), ClassName, &windowClass)) << "under the player's";
    EXPECT_EQ(11u, windowClass.style);
    EXPECT_EQ((WNDPROC)GetWindowLongPtrA(first, GWLP_WNDPROC), windowClass.lpfnWndProc);
    EXPECT_EQ(LoadCursorA(NULL, (LPCSTR)IDC_ARROW), windowClass.hCursor);

    RECT area, rect;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    GetWindowRect(first, &rect);
    EXPECT_TRUE(EqualRect(&area, &rect)) << rect.left << "," << rect.top << "," << rect.right << "," << rect.bottom;
    EXPECT_EQ(WS_POPUP | WS_VISIBLE, GetWindowLongA(first, GWL_STYLE) & ~WS_CLIPSIBLINGS);
    EXPECT_EQ(WS_EX_TOOLWINDOW, GetWindowLongA(first, GWL_EXSTYLE) & (WS_EX_TOOLWINDOW | WS_EX_TOPMOST));
    EXPECT_FALSE(GetWindowTextLengthA(first) || GetMenu(first) || GetWindow(first, GW_OWNER));

    HWND second = Open();
    EXPECT_FALSE(IsWindow(first)) << "replaced";
    EXPECT_EQ(std::vector<HWND>{second}, Shown(ClassName));
    SKIP_WITHOUT_ICON_RESOURCES();
    EXPECT_NE((HICON)NULL, windowClass.hIcon);
    EXPECT_EQ(LoadIconA(PlayerPluginModule(), MAKEINTRESOURCEA(103)), windowClass.hIcon);
}

/*
 * Each case opens a fresh marquee, whose tick count starts at 0 again: its
 * first tick shows the rows, and while the player does not play only odd
 * ticks do.  The time row is empty unless the player plays.
 */
TEST_F(Marquee, TicksShowTheRowsBlinkingWhileNotPlayingAndTheTimeRow)
{
    struct Case {
        int Status, OutputMs, LengthSeconds;
        const char *Time;
    } cases[] = {
        {1, 187500, 302, "03:07 - 01:55"},    {3, 187500, 302, ""},
        {1, 999, 302, "00:00 - 05:02"},       {1, 187500, -1, "03:07"},
        {1, 187500, 100, "03:07 - 00:00"},    {1, -1, 302, "00:00 - 05:02"},
        {1, 7200000, 7500, "120:00 - 05:00"}, {0, -1, 0, ""},
    };
    Start();
    rig::Tick();
    EXPECT_TRUE(Drawn().empty()) << "no marquee, no drawing";
    for (const Case &c : cases) {
        HWND marquee = Open();
        Player().Status = c.Status;
        Player().OutputMs = c.OutputMs;
        Player().LengthSeconds = c.LengthSeconds;
        for (int tick = 1; tick <= 3; tick++) {
            TickAndPaint(marquee);
            bool shown = c.Status == HOST_STATUS_PLAYING || tick % 2;
            EXPECT_EQ(shown ? Rows(c.Time) : std::vector<std::string>(), Drawn()) << c.Time << ", tick " << tick;
        }
    }
    /* The paint after the tick that took a file without an ID3v1 tag, whose last 128 bytes are no texts. */
    rig::WriteFile(Path("1.mp3"), std::string(400, 'y'));
    Player().Position = 1;
    TickAndPaint(Open());
    EXPECT_EQ(std::vector<std::string>({"640,204 ", "640,408 ", "640,612 ", "640,816 "}), Drawn());
}

/*
 * Each row in its own colour within its fifth of the height, only when it
 * is shown.  The title image is built on the first tick that sees a changed
 * tag (a tick that takes a new track still sees the earlier one), copied at
 * every paint, and shows the title in its colour on the background.
 */
TEST_F(Marquee, RowsByDisplayInTheirColoursAtTheirHeightsAndTheTitleImageAtTenTen)
{
    SKIP_WITHOUT_DRAWING();
    for (unsigned shown : {0xFu, 0xAu, 0x5u, 0x0u}) {
        SCOPED_TRACE(shown);
        Start(shown);
        HWND marquee = Open();
        rig::DebugOutput().clear();
        for (int tick = 1; tick <= 4; tick++) {
            Player().Position = tick >= 3;
            TickAndPaint(marquee);
        }
        RECT client;
        GetClientRect(marquee, &client);
        const LONG row = client.bottom / 5;
        for (int k = 1; k <= 4; k++)
            for (int j = 0; j < 4; j++) {
                size_t count = CountPixels(marquee, RowColours[j], {0, k * row, client.right, (k + 1) * row});
                EXPECT_EQ(j == k - 1 && (shown >> j & 1), count > 300) << RowNames[j] << " in row " << k;
                EXPECT_TRUE(count == 0 || count > 300) << RowNames[j] << " in row " << k;
            }

        auto extent = [](const std::string &title) {
            HDC dc = CreateCompatibleDC(NULL);
            LOGFONTA font = {};
            font.lfHeight = -100;
            font.lfWeight = 700;
            HGDIOBJ old = SelectObject(dc, CreateFontIndirectA(&font));
            SIZE size = {};
            GetTextExtentPoint32A(dc, title.c_str(), (int)title.size(), &size);
            DeleteObject(SelectObject(dc, old));
            DeleteDC(dc);
            return std::to_string(size.cx) + "x" + std::to_string(size.cy) + "\n";
        };
        std::vector<std::string> texts(rig::DebugOutput());
        for (size_t i : {0, 4}) /* the memory context's handle, when there is one */
            if (texts.size() > i && texts[i].size() > 28 && texts[i].compare(20, 8, "00000000") != 0)
                texts[i].replace(20, 8, "<memory>");
        const std::string made = "creation extent: (0x<memory>) ", copied = "copy extent: " + extent("Alpha");
        EXPECT_EQ(std::vector<std::string>({made + extent("Alpha"), copied, copied, copied, made + extent("Delta"),
                                            "copy extent: " + extent("Delta")}),
                  texts);
        LONG width = 0, height = 0;
        sscanf(texts.back().c_str(), "copy extent: %ldx%ld", &width, &height);
        EXPECT_GT(CountPixels(marquee, RowColours[0], {10, 10, 10 + width, 10 + height}), 300u) << "the title";
        EXPECT_GT(CountPixels(marquee, Background, {10, 10, 10 + width, 10 + height}), 1000u) << "on the background";
    }
}

TEST_F(Marquee, KeysAndMenuChoicesReachThePlayerAndAMenuMarqueeReplacesIt)
{
    Start();
    HWND marquee = Open();
    Player().Received.clear();
    PostMessageA(marquee, WM_KEYDOWN, 'X', 0x002D0001);
    PostMessageA(marquee, WM_KEYUP, 'X', 0xC02D0001);
    PlayerPump();
    ASSERT_EQ(2u, Player().Received.size());
    EXPECT_EQ((UINT)WM_KEYDOWN, Player().Received[0].Message);
    EXPECT_EQ((UINT)WM_KEYUP, Player().Received[1].Message);
    EXPECT_EQ((WPARAM)'X', Player().Received[1].WParam);
    EXPECT_EQ((LPARAM)0xC02D0001, Player().Received[1].LParam);

    /* "Pause/Resume" (7 down), then "Marquee" (3 down). */
    size_t held = rig::ObjectsHeld();
    ChooseInMenu(marquee, 7, [] { return Player().Status != HOST_STATUS_PLAYING; });
    EXPECT_EQ(HOST_STATUS_PAUSED, Player().Status);
    EXPECT_EQ(held, rig::ObjectsHeld()) << "the menu is destroyed after tracking";
    ChooseInMenu(marquee, 3, [marquee] { return !IsWindow(marquee); });
    EXPECT_FALSE(IsWindow(marquee));
    EXPECT_EQ(1u, Shown(ClassName).size()) << "replaced";
}

TEST_F(Marquee, LeftClickAndCloseDestroyItAndTicksNoLongerReachIt)
{
    Start();
    for (UINT message : {WM_LBUTTONDOWN, WM_CLOSE}) {
        HWND marquee = Open();
        TickAndPaint(marquee);
        EXPECT_EQ(Rows("03:07 - 01:55"), Drawn());
        EXPECT_EQ((LRESULT)(message == WM_LBUTTONDOWN), SendMessageA(marquee, message, 0, 0));
        EXPECT_FALSE(IsWindow(marquee)) << message;
        rig::Tick();
        PlayerPump();
        EXPECT_TRUE(Drawn().empty());
    }
}

/*
 * Each failure is reported to the player's window and the command goes on.
 * The class is registered once: a failed registration shows its box only
 * the first time, and later commands fail to create the window.  Without a
 * work area the window covers the primary screen (here the work area too).
 */
TEST_F(Marquee, FailuresAreReportedAndTheCommandGoesOn)
{
    const std::string noClass = "Error 1411 lookup from line 1014 of gen_Kestrune.";
    struct Case {
        const char *Function;
        DWORD Error;
        std::vector<std::string> Captions[2]; /* of the boxes of two commands */
    } cases[] = {
        {"RegisterClassA", ERROR_ACCESS_DENIED, {{"Error", noClass}, {noClass}}},
        {"CreateWindowExA", ERROR_NOT_ENOUGH_MEMORY, {{"Error 8 lookup from line 1014 of gen_Kestrune."}, {}}},
        {"SystemParametersInfoA", ERROR_ACCESS_DENIED, {{"Error 5 lookup from line 1005 of gen_Kestrune."}, {}}},
    };
    for (const Case &c : cases) {
        Start();
        rig::FailCalls(c.Function, c.Error);
        for (const std::vector<std::string> &expected : c.Captions) {
            rig::Boxes().clear();
            HWND marquee = Open();
            std::vector<std::string> captions;
            for (const rig::Box &box : rig::Boxes()) {
                captions.push_back(box.Caption);
                EXPECT_EQ(PlayerWindow(), box.Owner);
                EXPECT_TRUE(box.Caption != "Error" ||
                            (box.Text == "Could not create marquee window class" && box.Flags == 0x52010u));
            }
            EXPECT_EQ(expected, captions) << c.Function;
            RECT rect = {};
            EXPECT_EQ(captions.empty() || captions[0].find("1005") != std::string::npos,
                      GetWindowRect(marquee, &rect) && rect.right == GetSystemMetrics(SM_CXSCREEN) &&
                          rect.bottom == GetSystemMetrics(SM_CYSCREEN))
                << c.Function;
        }
    }
}

/* A copy that fails at every paint shows one box; the paints inside its modal loop report only to the debugger. */
TEST_F(Marquee, FailedImageCopyShowsOneBoxWhilePaintsRepeatIt)
{
    SKIP_WITHOUT_DRAWING();
    Start();
    HWND marquee = Open();
    rig::FailCalls("BitBlt", ERROR_INVALID_HANDLE, -1);
    rig::DebugOutput().clear();
    rig::OnBox([&](const rig::Box &) {
        for (int paint = 0; paint < 3 && rig::Boxes().size() == 1; paint++)
            TickAndPaint(marquee);
    });
    TickAndPaint(marquee);
    const std::string caption = "Error 6 lookup from line 1407 of gen_Kestrune.";
    ASSERT_EQ(1u, rig::Boxes().size());
    EXPECT_EQ(marquee, rig::Boxes()[0].Owner);
    EXPECT_EQ(caption, rig::Boxes()[0].Caption);
    EXPECT_EQ((UINT)(MB_OK | MB_ICONERROR), rig::Boxes()[0].Flags);
    EXPECT_EQ(4, std::count(rig::DebugOutput().begin(), rig::DebugOutput().end(), caption));
}

TEST_F(Marquee, QuitClosesItAndUnregistersTheClassSoAReloadOpensANewOne)
{
    Start();
    HWND marquee = Open();
    TickAndPaint(marquee);
    StopPlugin();
    EXPECT_FALSE(IsWindow(marquee));
    WNDCLASSA windowClass;
    EXPECT_FALSE(GetClassInfoA(GetModuleHandleA(NULL), ClassName, &windowClass));
    EXPECT_TRUE(rig::ObjectsHeld() == 0 || !rig::ObjectsDelete()) << rig::ObjectsHeld() << " objects held";
    Start();
    marquee = Open();
    ASSERT_TRUE(marquee);
    TickAndPaint(marquee);
    EXPECT_EQ(Rows("03:07 - 01:55"), Drawn());
    EXPECT_TRUE(rig::Boxes().empty());
}

/*
 * 10,000 ticks, each with a tag change and a paint, then 100 marquees.
 * Small fonts and a small window keep it quick, and the marquees are kept
 * from taking the foreground again and again from test programs beside
 * this one, whose popup menus would close.
 */
TEST_F(Marquee, HeldObjectsStayFlatOverTicksTagChangesPaintsAndWindows)
{
    SKIP_WITHOUT_OBJECT_DELETION();
    Start(0xF, "0");
    HWND marquee = Open();
    TickAndPaint(marquee);
    const size_t held = rig::ObjectsHeld();
    MoveWindow(marquee, 0, 0, 320, 240, FALSE);
    for (int tick = 1; tick <= 10000; tick++) {
        Player().Position ^= 1;
        TickAndPaint(marquee);
        ASSERT_EQ(held, rig::ObjectsHeld()) << "after " << tick << " ticks";
    }
    SendMessageA(marquee, WM_CLOSE, 0, 0);
    const size_t closed = rig::ObjectsHeld();
    RefuseActivation = true;
    SetWindowsHookExA(WH_CBT, WatchActivation, NULL, GetCurrentThreadId());
    for (int window = 1; window <= 100; window++) {
        marquee = Open();
        TickAndPaint(marquee);
        ASSERT_EQ(held, rig::ObjectsHeld()) << "open, window " << window;
        SendMessageA(marquee, WM_LBUTTONDOWN, 0, 0);
        ASSERT_EQ(closed, rig::ObjectsHeld()) << "closed, window " << window;
    }
}

} // namespace
