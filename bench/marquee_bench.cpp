/*
 * Benchmark of the marquee against the bare calls it cannot avoid, in one
 * run under wine64:
 *
 *  - a full paint with all four rows shown (the time text asked of the
 *    player, a font made, selected, drawn with and released per row, the
 *    title image copied), started by invalidating the window without
 *    erasing, against four bare font-create/select/text-out/select-back/
 *    delete sequences of the same texts at the same places, drawn in a
 *    paint of the same window begun the same way (goal: at most 2 times).
 *    A window draws in its paint, and under Wine ending a paint sends the
 *    drawn part of the window to the display, which costs more than the
 *    drawing itself; the same sequences outside any paint (GetDC and
 *    ReleaseDC) are printed as well;
 *  - a tick without a tag change, sent as the poller sends it, against a
 *    bare comparison of the two tag records and the invalidation with
 *    erasing that the tick makes (goal: at most 1.5 times).
 *
 * The plug-in's code is called directly (OpenMarqueeWindow, then messages
 * to the window) with the stand-in player as the host window.  Each
 * measurement is repeated in alternating rounds and the best round counts.
 */
#include "kestrune.h"

#include <stdio.h>
#include <string.h>

#include "bench/timing.h"
#include "player/player.h"

namespace
{

const int Paints = 2000;
const int Ticks = 100000;

void SetStyle(MarqueeLineStyle *style, COLORREF colour)
{
    ZeroMemory(style, sizeof *style);
    style->Font.lfHeight = -72;
    style->Font.lfWeight = FW_BOLD;
    style->Foreground = colour;
    style->Display = 1;
}

double MarqueePaint()
{
    double start = Now();
    for (int i = 0; i < Paints; ++i) {
        InvalidateRect(MarqueeWindow, NULL, FALSE);
        UpdateWindow(MarqueeWindow);
    }
    return (Now() - start) / Paints;
}

/* The four rows as the marquee places them, each with its font made and released; true: in a paint. */
double BareFontSequences(const char *const texts[4], bool inPaint)
{
    const MarqueeLineStyle *styles[4] = {&Settings.Title, &Settings.Artist, &Settings.Album, &Settings.Time};
    RECT client;
    GetClientRect(MarqueeWindow, &client);
    double start = Now();
    for (int i = 0; i < Paints; ++i) {
        PAINTSTRUCT paint;
        if (inPaint)
            InvalidateRect(MarqueeWindow, NULL, FALSE);
        HDC context = inPaint ? BeginPaint(MarqueeWindow, &paint) : GetDC(MarqueeWindow);
        SetTextAlign(context, TA_CENTER | TA_TOP);
        for (int k = 0; k < 4; ++k) {
            HFONT font = CreateFontIndirectA(&styles[k]->Font);
            HGDIOBJ previous = SelectObject(context, font);
            TextOutA(context, client.right / 2, (k + 1) * (client.bottom / 5), texts[k], (int)strlen(texts[k]));
            SelectObject(context, previous);
            DeleteObject(font);
        }
        if (inPaint)
            EndPaint(MarqueeWindow, &paint);
        else
            ReleaseDC(MarqueeWindow, context);
    }
    return (Now() - start) / Paints;
}

double MarqueeTick()
{
    double start = Now();
    for (int i = 0; i < Ticks; ++i)
        SendMessageA(MarqueeWindow, WM_TIMER, 1, (LPARAM)i);
    return (Now() - start) / Ticks;
}

double BareCompareAndInvalidate(const Id3v1Tag *cache)
{
    volatile int differ = 0;
    double start = Now();
    for (int i = 0; i < Ticks; ++i) {
        differ = differ + (memcmp(&NowPlaying.Tag, cache, sizeof *cache) != 0);
        InvalidateRect(MarqueeWindow, NULL, TRUE);
    }
    return (Now() - start) / Ticks;
}

} // namespace

int main()
{
    PluginRecord.HostMainWindow = PlayerCreateWindow();
    if (!PluginRecord.HostMainWindow) {
        fprintf(stderr, "bench: the stand-in player's window cannot be created\n");
        return 1;
    }
    Player().Status = HOST_STATUS_PLAYING;
    Player().OutputMs = 187500;
    Player().LengthSeconds = 302;
    ZeroMemory(&Settings, sizeof Settings);
    Settings.MarqueeBackground = RGB(16, 32, 48);
    SetStyle(&Settings.Title, RGB(255, 0, 0));
    SetStyle(&Settings.Artist, RGB(0, 255, 0));
    SetStyle(&Settings.Album, RGB(0, 0, 255));
    SetStyle(&Settings.Time, RGB(255, 255, 0));
    memcpy(NowPlaying.Tag.Block, "TAG", 3);
    strcpy(NowPlaying.Tag.Title, "The title of the song");
    strcpy(NowPlaying.Tag.Artist, "The band");
    strcpy(NowPlaying.Tag.Album, "The album");
    const char *const texts[4] = {NowPlaying.Tag.Title, NowPlaying.Tag.Artist, NowPlaying.Tag.Album, "03:07 - 01:55"};

    OpenMarqueeWindow();
    if (!MarqueeWindow) {
        fprintf(stderr, "bench: the marquee cannot be opened\n");
        return 1;
    }
    SendMessageA(MarqueeWindow, WM_TIMER, 1, 0); /* the first tick builds the title image */
    UpdateWindow(MarqueeWindow);
    Id3v1Tag cache = NowPlaying.Tag;

    double paint = 1e9, barePaint = 1e9, outsidePaint = 1e9, tick = 1e9, bareTick = 1e9;
    for (int round = 0; round < Rounds; ++round) {
        outsidePaint = Best(outsidePaint, BareFontSequences(texts, false));
        if (round & 1) {
            barePaint = Best(barePaint, BareFontSequences(texts, true));
            paint = Best(paint, MarqueePaint());
            bareTick = Best(bareTick, BareCompareAndInvalidate(&cache));
            tick = Best(tick, MarqueeTick());
        } else {
            paint = Best(paint, MarqueePaint());
            barePaint = Best(barePaint, BareFontSequences(texts, true));
            tick = Best(tick, MarqueeTick());
            bareTick = Best(bareTick, BareCompareAndInvalidate(&cache));
        }
        UpdateWindow(MarqueeWindow);
    }
    CloseMarqueeWindow();
    PlayerDestroyWindow();

    double paintRatio = paint / barePaint;
    double tickRatio = tick / bareTick;
    printf("marquee paint, four rows: %8.3f us   four bare font sequences: %8.3f us   ratio %.2f (goal <= 2.0) %s\n",
           paint * 1e6, barePaint * 1e6, paintRatio, paintRatio <= 2.0 ? "met" : "MISSED");
    printf("(the four bare sequences outside a paint: %.3f us)\n", outsidePaint * 1e6);
    printf("marquee tick, no change:  %8.3f us   compare and invalidate:   %8.3f us   ratio %.2f (goal <= 1.5) %s\n",
           tick * 1e6, bareTick * 1e6, tickRatio, tickRatio <= 1.5 ? "met" : "MISSED");
    printf("(best of %d rounds: %d paints, %d ticks per round)\n", Rounds, Paints, Ticks);
    return 0;
}
