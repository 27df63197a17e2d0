/*
 * ReportSystemError with a kind of box, called directly and shown in the
 * system's real box: a report of the same kind from inside the open box's
 * modal loop shows no second box, yet both reach the debugger output; once
 * the box is closed, the next report shows it again.
 */
#include <gtest/gtest.h>

#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "kestrune.h"
#include "tests/rig/rig.h"

namespace
{

const DWORD Code = ERROR_PATH_NOT_FOUND;
const unsigned Line = 1407;

bool ReportedInside;
size_t MostShown;

BOOL CALLBACK ListBox(HWND window, LPARAM boxes)
{
    char name[16];
    if (IsWindowVisible(window) && GetClassNameA(window, name, sizeof name) && strcmp(name, "#32770") == 0)
        ((std::vector<HWND> *)boxes)->push_back(window);
    return TRUE;
}

std::vector<HWND> ShownBoxes()
{
    std::vector<HWND> boxes;
    EnumThreadWindows(GetCurrentThreadId(), ListBox, (LPARAM)&boxes);
    return boxes;
}

/*
 * Dispatched by the boxes' modal loops: the first time a box is up it
 * reports the same failure again, then closes whatever boxes are shown (a
 * second box, were one shown, runs this again from its own loop).
 */
void CALLBACK WhileBoxOpen(HWND, UINT, UINT_PTR, DWORD)
{
    std::vector<HWND> boxes = ShownBoxes();
    MostShown = std::max(MostShown, boxes.size());
    if (boxes.empty())
        return;
    if (!ReportedInside) {
        ReportedInside = true;
        ReportSystemError(BOX_LOG_WARNING, NULL, Code, "gen_Kestrune", Line);
    }
    for (HWND box : ShownBoxes())
        PostMessageA(box, WM_COMMAND, IDOK, 0);
}

TEST(ReportSystemErrorOfAKind, OneBoxAtATimeEveryReportWritten)
{
    rig::Reset();
    char *text = NULL;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL,
                   Code, 0x0400, (LPSTR)&text, 0, NULL);
    ASSERT_NE((char *)NULL, text);
    const std::string report[] = {"Error 3 lookup from line 1407 of gen_Kestrune.", text, "\n"};
    LocalFree(text);

    UINT_PTR timer = SetTimer(NULL, 0, 20, WhileBoxOpen);
    std::vector<std::string> expected;
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round ? "after the box closed" : "first box");
        ReportedInside = false;
        MostShown = 0;
        ReportSystemError(BOX_LOG_WARNING, NULL, Code, "gen_Kestrune", Line);
        EXPECT_TRUE(ReportedInside) << "the box was shown";
        EXPECT_EQ(1u, MostShown);
        expected.insert(expected.end(), report, report + 3);
        expected.insert(expected.end(), report, report + 3);
        EXPECT_EQ(expected, rig::DebugOutput());
    }
    KillTimer(NULL, timer);
    EXPECT_TRUE(ShownBoxes().empty());
}

} // namespace
