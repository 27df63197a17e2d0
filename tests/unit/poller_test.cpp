/*
 * The poller called directly, against a small host window that answers the
 * player's queries and records every message, and a window standing in for
 * the marquee: the order of the queries, the forward of each tick, and what
 * a change takes into NowPlaying.  All writers are off.
 */
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "kestrune.h"

namespace
{

struct Message {
    HWND Window;
    UINT Code;
    WPARAM WParam;
    LPARAM LParam;
    bool operator==(const Message &other) const
    {
        return Window == other.Window && Code == other.Code && WParam == other.WParam && LParam == other.LParam;
    }
};

std::vector<Message> Messages;
std::vector<std::string> Files;
std::string TitleText;
bool NoTitle;
int Position;

LRESULT Answer(WPARAM wParam, LPARAM code)
{
    switch (code) {
    case HOST_GET_LIST_POSITION:
        return Position;
    case HOST_GET_LIST_LENGTH:
        return (LRESULT)Files.size();
    case HOST_GET_PLAYLIST_FILE:
        return wParam < Files.size() ? (LRESULT)Files[wParam].c_str() : 0;
    case HOST_GET_PLAYLIST_TITLE:
        return NoTitle ? 0 : (LRESULT)TitleText.c_str();
    case HOST_GET_OUTPUT_TIME:
        return wParam == HOST_OUTPUT_LENGTH_SECONDS ? 215 : -1;
    }
    return 0;
}

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_USER || message == WM_TIMER || message == WM_COMMAND) {
        Messages.push_back({window, message, wParam, lParam});
        return message == WM_USER ? Answer(wParam, lParam) : 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class PollerTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        WNDCLASSA type;
        ZeroMemory(&type, sizeof type);
        type.lpfnWndProc = RecordingProc;
        type.hInstance = GetModuleHandleA(NULL);
        type.lpszClassName = "PollerTestWindow";
        RegisterClassA(&type);
        host_ = CreateWindowA("PollerTestWindow", "host", WS_POPUP, 0, 0, 10, 10, NULL, NULL, type.hInstance, NULL);
        marquee_ =
            CreateWindowA("PollerTestWindow", "marquee", WS_POPUP, 0, 0, 10, 10, NULL, NULL, type.hInstance, NULL);
        ASSERT_TRUE(host_ && marquee_);
        PluginRecord.HostMainWindow = host_;
        ZeroMemory(&Settings, sizeof Settings);
        ZeroMemory(&NowPlaying, sizeof NowPlaying);
        MarqueeWindow = NULL;
        Messages.clear();
        Files = {"C:\\a.mp3", "C:\\b.mp3", "C:\\c.mp3"};
        TitleText = "The title";
        NoTitle = false;
        Position = 1;
    }
    void TearDown() override
    {
        MarqueeWindow = NULL;
        PluginRecord.HostMainWindow = NULL;
        DestroyWindow(host_);
        DestroyWindow(marquee_);
    }
    Message Query(WPARAM wParam, LPARAM code) { return {host_, WM_USER, wParam, code}; }
    HWND host_ = NULL;
    HWND marquee_ = NULL;
};

/*
 * A change: position, length, file, the marquee's tick, then title and
 * length; the tick's id and time reach the marquee as they came.
 */
TEST_F(PollerTest, ChangeAsksInOrderAndForwardsTheTick)
{
    MarqueeWindow = marquee_;
    PollHost(NULL, WM_TIMER, 77, 123456);
    std::vector<Message> expected = {
        Query(0, HOST_GET_LIST_POSITION),  Query(0, HOST_GET_LIST_LENGTH),
        Query(1, HOST_GET_PLAYLIST_FILE),  {marquee_, WM_TIMER, 77, 123456},
        Query(1, HOST_GET_PLAYLIST_TITLE), Query(HOST_OUTPUT_LENGTH_SECONDS, HOST_GET_OUTPUT_TIME)};
    EXPECT_EQ(expected, Messages);
    EXPECT_STREQ("C:\\b.mp3", NowPlaying.FileName);
    EXPECT_STREQ("The title", NowPlaying.Title);
    EXPECT_EQ(1, NowPlaying.ListPosition);
    EXPECT_EQ(3, NowPlaying.ListLength);
    EXPECT_EQ(215, NowPlaying.PlayLengthSeconds);
}

/* The early poll: the tick's queries and change, without the marquee's tick. */
TEST_F(PollerTest, EarlyPollForwardsNoTick)
{
    MarqueeWindow = marquee_;
    PollHostEarly();
    std::vector<Message> expected = {Query(0, HOST_GET_LIST_POSITION), Query(0, HOST_GET_LIST_LENGTH),
                                     Query(1, HOST_GET_PLAYLIST_FILE), Query(1, HOST_GET_PLAYLIST_TITLE),
                                     Query(HOST_OUTPUT_LENGTH_SECONDS, HOST_GET_OUTPUT_TIME)};
    EXPECT_EQ(expected, Messages);
    EXPECT_STREQ("C:\\b.mp3", NowPlaying.FileName);
}

/* Without a change: three queries and the marquee's tick, nothing more. */
TEST_F(PollerTest, TickWithoutChangeIsThreeQueriesAndTheForward)
{
    MarqueeWindow = marquee_;
    PollHost(NULL, WM_TIMER, 5, 1);
    Messages.clear();
    Position = 1;
    Files.insert(Files.begin(), "C:\\inserted.mp3");
    Position = 2;
    PollHost(NULL, WM_TIMER, 5, 2);
    std::vector<Message> expected = {Query(0, HOST_GET_LIST_POSITION),
                                     Query(0, HOST_GET_LIST_LENGTH),
                                     Query(2, HOST_GET_PLAYLIST_FILE),
                                     {marquee_, WM_TIMER, 5, 2}};
    EXPECT_EQ(expected, Messages);
    EXPECT_EQ(2, NowPlaying.ListPosition);
    EXPECT_EQ(4, NowPlaying.ListLength);
}

/* No marquee: no WM_TIMER anywhere; a marquee opened later gets the next tick. */
TEST_F(PollerTest, NoMarqueeNoForward)
{
    PollHost(NULL, WM_TIMER, 9, 10);
    for (const Message &message : Messages)
        EXPECT_NE((UINT)WM_TIMER, message.Code);
    MarqueeWindow = marquee_;
    Messages.clear();
    PollHost(NULL, WM_TIMER, 9, 11);
    ASSERT_EQ(4u, Messages.size());
    EXPECT_EQ((Message{marquee_, WM_TIMER, 9, 11}), Messages[3]);
}

/* No file at the position (an empty playlist): no change, NowPlaying keeps the last track. */
TEST_F(PollerTest, NoFileIsNoChange)
{
    PollHost(NULL, WM_TIMER, 1, 1);
    Files.clear();
    Messages.clear();
    PollHost(NULL, WM_TIMER, 1, 2);
    EXPECT_EQ(3u, Messages.size());
    EXPECT_STREQ("C:\\b.mp3", NowPlaying.FileName);
    EXPECT_STREQ("The title", NowPlaying.Title);
    EXPECT_EQ(0, NowPlaying.ListLength);
}

/* Titles are cut to 259 characters; a title the player does not give is empty. */
TEST_F(PollerTest, TitleCutOrEmpty)
{
    TitleText = std::string(300, 't');
    PollHost(NULL, WM_TIMER, 1, 1);
    EXPECT_EQ(std::string(259, 't'), NowPlaying.Title);
    NoTitle = true;
    Position = 2;
    PollHost(NULL, WM_TIMER, 1, 2);
    EXPECT_STREQ("C:\\c.mp3", NowPlaying.FileName);
    EXPECT_STREQ("", NowPlaying.Title);
}

/* The Now Playing command goes to the host window, on a change only, when the switch is on. */
TEST_F(PollerTest, NowPlayingCommandOnChange)
{
    Settings.UseNowPlaying = 1;
    PollHost(NULL, WM_TIMER, 1, 1);
    PollHost(NULL, WM_TIMER, 1, 2);
    std::vector<Message> commands;
    for (const Message &message : Messages)
        if (message.Code == WM_COMMAND)
            commands.push_back(message);
    EXPECT_EQ(std::vector<Message>({{host_, WM_COMMAND, ID_NOW_PLAYING, 0}}), commands);
}

} // namespace
