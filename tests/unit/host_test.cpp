/*
 * The player's message interface called directly against a small window
 * that records what reaches it and answers from a table.  The numbers are
 * written out here, not taken from the shared resource header: the stand-in
 * player answers by those same constants, so only a test with the player's
 * own numbers notices a constant that has drifted from them.
 */
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "kestrune.h"

namespace
{

struct Received {
    UINT Message;
    WPARAM WParam;
    LPARAM LParam;
    bool operator==(const Received &other) const
    {
        return Message == other.Message && WParam == other.WParam && LParam == other.LParam;
    }
};

void PrintTo(const Received &r, std::ostream *out)
{
    *out << "{" << r.Message << ", " << (unsigned long long)r.WParam << ", " << (long long)r.LParam << "}";
}

std::vector<Received> Messages;
const char FileText[] = "C:\\Music\\answer.mp3";
const char TitleText[] = "The answer";

/* Answers each query with a value that tells it apart from the others. */
LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_USER && message != WM_COMMAND)
        return DefWindowProcA(window, message, wParam, lParam);
    Messages.push_back({message, wParam, lParam});
    if (message != WM_USER)
        return 0;
    switch (lParam) {
    case 104:
        return 3;
    case 105:
        return wParam == 1 ? 215 : 61234;
    case 124:
        return 12;
    case 125:
        return 7;
    case 211:
        return wParam == 7 ? (LRESULT)FileText : 0;
    case 212:
        return wParam == 7 ? (LRESULT)TitleText : 0;
    }
    return 0;
}

class HostInterface : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        WNDCLASSA type;
        ZeroMemory(&type, sizeof type);
        type.lpfnWndProc = HostProc;
        type.hInstance = GetModuleHandleA(NULL);
        type.lpszClassName = "HostInterfaceTestWindow";
        RegisterClassA(&type);
        host_ = CreateWindowA(type.lpszClassName, "host", WS_POPUP, 0, 0, 10, 10, NULL, NULL, type.hInstance, NULL);
        ASSERT_NE((HWND)NULL, host_);
        PluginRecord.HostMainWindow = host_;
        Messages.clear();
    }
    void TearDown() override
    {
        PluginRecord.HostMainWindow = NULL;
        DestroyWindow(host_);
    }
    HWND host_ = NULL;
};

/* Each operation: the one message it sends (WM_USER is 1024) and the answer it hands back. */
TEST_F(HostInterface, QueriesAndRequestsUseThePlayersNumbers)
{
    struct Case {
        const char *Name;
        std::function<long long()> Call;
        Received Expected;
        long long Answer;
    };
    const Case cases[] = {
        {"GetPlayStatus", [] { return (long long)GetPlayStatus(); }, {1024, 0, 104}, 3},
        {"GetOutputTime position", [] { return (long long)GetOutputTime(0); }, {1024, 0, 105}, 61234},
        {"GetOutputTime length", [] { return (long long)GetOutputTime(1); }, {1024, 1, 105}, 215},
        {"JumpToTime", [] { return (JumpToTime(83000), 0LL); }, {1024, 83000, 106}, 0},
        {"WritePlaylist", [] { return (WritePlaylist(), 0LL); }, {1024, 0, 120}, 0},
        {"GetListLength", [] { return (long long)GetListLength(); }, {1024, 0, 124}, 12},
        {"GetListPosition", [] { return (long long)GetListPosition(); }, {1024, 0, 125}, 7},
        {"GetPlaylistFile", [] { return (long long)(GetPlaylistFile(7) == FileText); }, {1024, 7, 211}, 1},
        {"GetPlaylistFile none", [] { return (long long)(GetPlaylistFile(8) == NULL); }, {1024, 8, 211}, 1},
        {"GetPlaylistTitle", [] { return (long long)(GetPlaylistTitle(7) == TitleText); }, {1024, 7, 212}, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        Messages.clear();
        EXPECT_EQ(c.Answer, c.Call());
        EXPECT_EQ(std::vector<Received>({c.Expected}), Messages);
    }
}

/* Player commands: WM_COMMAND (273) with the command number in wParam and lParam 0. */
TEST_F(HostInterface, PlayerCommandsAreWmCommandWithLParamZero)
{
    for (int command : {40044, 40045, 40046, 40047, 40048, 40157, 40064, 40266}) {
        SCOPED_TRACE(command);
        Messages.clear();
        SendPlayerCommand(command);
        EXPECT_EQ(std::vector<Received>({{273, (WPARAM)command, 0}}), Messages);
    }
}

} // namespace
