/*
 * Screenshots for the demo (see screenshot.h).
 */
#include "player/screenshot.h"

#include "player/player.h"
#include "tests/rig/rig.h"

/*
 * A shot is taken when two copies of the screen this far apart agree, so
 * that a window Wine is still putting on the display is not caught half
 * drawn; after this many copies the last one is taken as it is (a blinking
 * caret may keep two copies from agreeing for a while).
 */
enum { SETTLE_MS = 50, SETTLE_COPIES = 20 };

void PaintNow(HWND window)
{
    RedrawWindow(window, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    GdiFlush();
}

/* Copies the screen's pixels in the rectangle as 24-bit rows, top row first; empty when the copy failed. */
static std::string CopyScreen(RECT area, const BITMAPINFOHEADER &info, DWORD imageBytes)
{
    void *pixels = NULL;
    HDC screen = GetDC(NULL), memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, (const BITMAPINFO *)&info, DIB_RGB_COLORS, &pixels, NULL, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    std::string copy;
    if (pixels && BitBlt(memory, 0, 0, info.biWidth, -info.biHeight, screen, area.left, area.top, SRCCOPY))
        copy.assign((const char *)pixels, imageBytes);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
    return copy;
}

/* Whether every pixel of a 24-bit image with rows of rowBytes bytes has the colour of the first. */
static bool OneColour(const std::string &pixels, int width, int height, DWORD rowBytes)
{
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++)
            for (int c = 0; c < 3; c++)
                if (pixels[y * rowBytes + x * 3 + c] != pixels[c])
                    return false;
    return true;
}

std::string SaveScreenRegion(RECT area, const std::string &path)
{
    int width = area.right - area.left, height = area.bottom - area.top;
    if (width <= 0 || height <= 0)
        return "the rectangle is empty";
    BITMAPINFOHEADER info = {sizeof info, width, -height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    DWORD rowBytes = ((DWORD)width * 3 + 3) & ~3u, imageBytes = rowBytes * (DWORD)height;
    std::string pixels, previous;
    for (int copies = 0; copies < SETTLE_COPIES && (copies < 2 || pixels != previous); copies++) {
        if (copies > 0)
            PlayerPumpFor(SETTLE_MS);
        previous.swap(pixels);
        pixels = CopyScreen(area, info, imageBytes);
        if (pixels.empty())
            return "the screen could not be copied (error " + std::to_string(GetLastError()) + ")";
    }
    if (OneColour(pixels, width, height, rowBytes))
        return "every pixel has one colour: nothing is drawn there";
    BITMAPFILEHEADER file = {0x4D42, (DWORD)(sizeof file + sizeof info + imageBytes), 0, 0,
                             (DWORD)(sizeof file + sizeof info)};
    rig::WriteFile(path, std::string((const char *)&file, sizeof file) + std::string((const char *)&info, sizeof info) +
                             pixels);
    return "";
}

std::string SaveWindowShot(HWND window, const std::string &path)
{
    if (!IsWindowVisible(window))
        return "the window is not shown";
    RECT area;
    GetWindowRect(window, &area);
    return SaveScreenRegion(area, path);
}
