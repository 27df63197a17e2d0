/*
 * What the benchmark programs share: the clock and the best of the rounds.
 * Each measurement is repeated in Rounds alternating rounds and the best
 * round counts, which keeps the noise of a shared machine out of the ratios.
 */
#ifndef KESTRUNE_BENCH_TIMING_H
#define KESTRUNE_BENCH_TIMING_H

#include <windows.h>

const int Rounds = 7;

/* Seconds on the performance counter. */
inline double Now()
{
    static LARGE_INTEGER frequency;
    if (!frequency.QuadPart)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return (double)counter.QuadPart / (double)frequency.QuadPart;
}

inline double Best(double a, double b) { return a < b ? a : b; }

#endif
