/*
 * The stand-in player itself: every end-to-end test trusts its answers and
 * records, so they are checked here against its own window, without a
 * plug-in in between.
 */
#include "tests/rig/fixture.h"

namespace
{

class StandInPlayer : public PluginTest
{
  protected:
    LRESULT Ask(WPARAM wParam, LPARAM code) { return SendMessageA(PlayerWindow(), WM_USER, wParam, code); }
    std::string AskText(WPARAM index, LPARAM code)
    {
        const char *text = (const char *)Ask(index, code);
        return text ? text : "<null>";
    }
};

TEST_F(StandInPlayer, WindowIsShownTopLevelOfItsOwnClass)
{
    HWND window = PlayerWindow();
    char className[64];
    ASSERT_TRUE(GetClassNameA(window, className, sizeof className));
    EXPECT_STREQ(className, "KestrunePlayer");
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(GetParent(window), (HWND)NULL);
    EXPECT_EQ((WNDPROC)GetWindowLongPtrA(window, GWLP_WNDPROC), PlayerWindowProc);
}

TEST_F(StandInPlayer, AnswersEveryQueryFromItsState)
{
    SetPlaylist({"C:\\a.mp3", "C:\\b.mp3", "http://radio/c"}, 1);
    Player().Playlist[2].NoTitle = true;
    Player().Status = HOST_STATUS_PAUSED;
    Player().OutputMs = 61500;
    Player().LengthSeconds = 245;

    EXPECT_EQ(Ask(0, HOST_GET_PLAY_STATUS), HOST_STATUS_PAUSED);
    EXPECT_EQ(Ask(HOST_OUTPUT_POSITION_MS, HOST_GET_OUTPUT_TIME), 61500);
    EXPECT_EQ(Ask(HOST_OUTPUT_LENGTH_SECONDS, HOST_GET_OUTPUT_TIME), 245);
    EXPECT_EQ(Ask(0, HOST_GET_LIST_LENGTH), 3);
    EXPECT_EQ(Ask(0, HOST_GET_LIST_POSITION), 1);
    EXPECT_EQ(AskText(0, HOST_GET_PLAYLIST_FILE), "C:\\a.mp3");
    EXPECT_EQ(AskText(2, HOST_GET_PLAYLIST_FILE), "http://radio/c");
    EXPECT_EQ(AskText(1, HOST_GET_PLAYLIST_TITLE), "Title of C:\\b.mp3");
    EXPECT_EQ(Ask(2, HOST_GET_PLAYLIST_TITLE), 0) << "an entry without a title";
    /* Outside the list there is no file and no title. */
    for (WPARAM index : {(WPARAM)3, (WPARAM)1000, (WPARAM)-1}) {
        EXPECT_EQ(Ask(index, HOST_GET_PLAYLIST_FILE), 0) << (INT_PTR)index;
        EXPECT_EQ(Ask(index, HOST_GET_PLAYLIST_TITLE), 0) << (INT_PTR)index;
    }

    EXPECT_EQ(Ask(90000, HOST_JUMP_TO_TIME), 0);
    EXPECT_EQ(Player().Jumps, std::vector<int>{90000});
    EXPECT_EQ(Ask(HOST_OUTPUT_POSITION_MS, HOST_GET_OUTPUT_TIME), 90000) << "the jump moved the output time";

    ASSERT_EQ(Player().Requests.size(), 17u);
    EXPECT_EQ(Player().Requests[0].LParam, HOST_GET_PLAY_STATUS);
    EXPECT_EQ(Player().Requests[15].LParam, HOST_JUMP_TO_TIME);
    EXPECT_EQ(Player().Requests[15].WParam, 90000u);
    EXPECT_TRUE(Player().Received.empty()) << "queries are no commands";
}

TEST_F(StandInPlayer, TransportCommandsMoveAndStopAtTheEnds)
{
    SetPlaylist({"1", "2", "3"}, 0);
    const struct {
        WPARAM Command;
        int Position;
        int Status;
    } steps[] = {
        {PLAYER_PREVIOUS, 0, 0}, /* already first: stays */
        {PLAYER_NEXT, 1, 0},
        {PLAYER_PLAY, 1, HOST_STATUS_PLAYING},
        {PLAYER_PAUSE, 1, HOST_STATUS_PAUSED},
        {PLAYER_PAUSE, 1, HOST_STATUS_PLAYING},
        {PLAYER_NEXT, 2, HOST_STATUS_PLAYING},
        {PLAYER_NEXT, 2, HOST_STATUS_PLAYING}, /* already last: stays */
        {PLAYER_STOP, 2, 0},
        {PLAYER_PAUSE, 2, 0}, /* pause does nothing when stopped */
        {PLAYER_PREVIOUS, 1, 0},
        {PLAYER_STOP_AFTER_CURRENT, 1, 0},
        {PLAYER_WINDOWSHADE_MAIN, 1, 0},
        {ID_PLAY, 1, 0}, /* a plug-in command reaching the player changes nothing */
    };
    for (const auto &step : steps) {
        Command(step.Command);
        EXPECT_EQ(Player().Position, step.Position) << step.Command;
        EXPECT_EQ(Player().Status, step.Status) << step.Command;
    }
    ASSERT_EQ(Player().Received.size(), sizeof steps / sizeof steps[0]);
    for (size_t i = 0; i < Player().Received.size(); i++) {
        EXPECT_EQ(Player().Received[i].Message, (UINT)WM_COMMAND);
        EXPECT_EQ(Player().Received[i].WParam, steps[i].Command);
        EXPECT_EQ(Player().Received[i].LParam, 0);
    }
}

/* Each start of a track tells the player's own window which file: play, a move while not stopped, a track's end. */
TEST_F(StandInPlayer, StartingATrackSendsTheNotice)
{
    SetPlaylist({"1", "2", "3"}, 0);
    const struct {
        WPARAM Command;               /* 0: the current track ends */
        int Position, Status, Notice; /* Notice: the entry named, -1 none */
    } steps[] = {
        {0, 0, 0, -1},           /* nothing ends while stopped */
        {PLAYER_NEXT, 1, 0, -1}, /* a move while stopped starts nothing */
        {PLAYER_PLAY, 1, HOST_STATUS_PLAYING, 1},
        {0, 2, HOST_STATUS_PLAYING, 2},
        {PLAYER_NEXT, 2, HOST_STATUS_PLAYING, -1}, /* already last */
        {PLAYER_PAUSE, 2, HOST_STATUS_PAUSED, -1},
        {PLAYER_PREVIOUS, 1, HOST_STATUS_PLAYING, 1},
        {PLAYER_PLAY, 1, HOST_STATUS_PLAYING, 1}, /* the same entry again */
        {0, 2, HOST_STATUS_PLAYING, 2},
        {0, 2, 0, -1}, /* the last one ends: stopped */
    };
    for (const auto &step : steps) {
        Player().Notices.clear();
        if (step.Command)
            Command(step.Command);
        else
            PlayerEndTrack();
        EXPECT_EQ(Player().Position, step.Position) << step.Command;
        EXPECT_EQ(Player().Status, step.Status) << step.Command;
        ASSERT_EQ(Player().Notices.size(), step.Notice < 0 ? 0u : 1u) << step.Command;
        if (step.Notice >= 0) {
            EXPECT_EQ((const char *)Player().Notices[0].WParam, Player().Playlist[step.Notice].File.c_str());
        }
    }
    Player().SendsNotices = false;
    Command(PLAYER_PLAY);
    EXPECT_TRUE(Player().Notices.empty()) << "a player that sends none";
    EXPECT_TRUE(Player().Requests.empty()) << "notices are no requests";
}

TEST_F(StandInPlayer, RecordsKeysInOrderWithTheirParameters)
{
    SendMessageA(PlayerWindow(), WM_KEYDOWN, 'X', 0x002D0001);
    PostMessageA(PlayerWindow(), WM_KEYUP, 'X', (LPARAM)0xC02D0001u);
    SendMessageA(PlayerWindow(), WM_CHAR, 'x', 0);
    PlayerPump();
    ASSERT_EQ(Player().Received.size(), 2u) << "WM_CHAR is not recorded";
    EXPECT_EQ(Player().Received[0].Message, (UINT)WM_KEYDOWN);
    EXPECT_EQ(Player().Received[0].LParam, 0x002D0001);
    EXPECT_EQ(Player().Received[1].Message, (UINT)WM_KEYUP);
    EXPECT_EQ(Player().Received[1].WParam, (WPARAM)'X');
    EXPECT_EQ((DWORD)Player().Received[1].LParam, 0xC02D0001u);
}

} // namespace
