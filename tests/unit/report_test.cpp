/*
 * ReportSystemError with a kind of box, in the system's real box: a report
 * of the same kind from inside the open box's modal loop shows no second
 * box, yet both reach the debugger output; once the box is closed, the
 * next report shows it again.
 */
#include <gtest/gtest.h>

#include <string.h>

#include <algorithm>

#include "kestrune.h"
#include "tests/rig/rig.h"

namespace
{

bool ReportedInside;
size_t MostShown;

BOOL CALLBACK ListBox(HWND window, LPARAM boxes)
{
    char name[16];
    if (IsWindowVisible(window) && GetClassNameA(window, name, sizeof name) && strcmp(name, "#32770") == 0)
        ((std::vector<HWND> *)boxes)->push_back(window);
    return TRUE;
}

/* Dispatched by the boxes' modal loops: reports again once, then closes every box shown. */
void CALLBACK WhileBoxOpen(HWND, UINT, UINT_PTR, DWORD)
{
    std::vector<HWND> boxes;
    EnumThreadWindows(GetCurrentThreadId(), ListBox, (LPARAM)&boxes);
    MostShown = std::max(MostShown, boxes.size());
    if (!boxes.empty() && !ReportedInside) {
        ReportedInside = true;
        ReportSystemError(BOX_LOG_WARNING, NULL, ERROR_PATH_NOT_FOUND, "gen_Kestrune", 1407);
    }
    for (HWND box : boxes)
        PostMessageA(box, WM_COMMAND, IDOK, 0);
}

TEST(ReportSystemErrorOfAKind, OneBoxAtATimeEveryReportWritten)
{
    rig::Reset();
    UINT_PTR timer = SetTimer(NULL, 0, 20, WhileBoxOpen);
    for (int round = 1; round <= 2; ++round) {
        ReportedInside = false;
        MostShown = 0;
        ReportSystemError(BOX_LOG_WARNING, NULL, ERROR_PATH_NOT_FOUND, "gen_Kestrune", 1407);
        EXPECT_TRUE(ReportedInside) << "a box was shown in round " << round;
        EXPECT_EQ(1u, MostShown);
        EXPECT_EQ((size_t)round * 2, (size_t)std::count(rig::DebugOutput().begin(), rig::DebugOutput().end(),
                                                        "Error 3 lookup from line 1407 of gen_Kestrune."));
    }
    KillTimer(NULL, timer);
}

} // namespace
