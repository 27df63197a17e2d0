/*
 * The font and colour pickers with the real DLL in the stand-in player:
 * the requests handed to the platform's dialogs (recorded at the import
 * table), the dialogs driven as a user would, the hook that keeps the font
 * dialog above a topmost player, and what reaches Settings.
 */
#include "tests/dialog_tests.h"

#include <algorithm>
#include <stdio.h>

namespace
{

const char QuietStart[] = "AlwaysConfigureOnLaunch=0\r\nUseNowPlaying=0\r\n";

bool SameFont(const LOGFONTA &a, const LOGFONTA &b)
{
    return memcmp(&a, &b, offsetof(LOGFONTA, lfFaceName)) == 0 && strcmp(a.lfFaceName, b.lfFaceName) == 0;
}

void SetPlayerTopmost(bool topmost)
{
    SetWindowPos(PlayerWindow(), topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

/* Four lines, each asked for with the player topmost or not, and with or without a face name. */
const struct FontRow {
    WPARAM Command;
    const char *Line;
    bool Topmost;
    const char *Face, *Colour;
    DWORD Flags;
} FontRows[] = {
    {IDC_FONT_ARTIST, "Artist", false, "", "65280", 257},
    {IDC_FONT_ALBUM, "Album", true, "", "255", 265},
    {IDC_FONT_TIME, "Time", false, "Arial", "16711680", 321},
    {IDC_FONT_TITLE, "Title", true, "Courier New", "8421504", 329},
};

/* What one row's command did: the request, what the open picker showed, and what the plug-in reported. */
struct FontRun {
    rig::FontRequest Request;
    bool DialogTopmost;
    std::vector<std::string> Output;
    std::vector<rig::Box> Boxes;
};

class FontPicker : public DialogTest
{
  protected:
    /*
     * Starts the plug-in on the rows' line styles and sends each row's
     * command; in the picker the user chooses a face, and cancels.
     */
    std::vector<FontRun> AskForEachRowsFont()
    {
        std::string ini = QuietStart;
        for (const FontRow &row : FontRows)
            ini += std::string("FONT_") + row.Line + "_FaceName=" + row.Face + "\r\nMarqueeForeground_" + row.Line +
                   "=" + row.Colour + "\r\n";
        WriteSettings(ini);
        std::vector<FontRun> runs;
        if (StartPlugin() != 0)
            return runs;
        for (const FontRow &row : FontRows) {
            rig::Boxes().clear();
            rig::DebugOutput().clear();
            SetPlayerTopmost(row.Topmost);
            bool dialogTopmost = false;
            rig::OnDialog(FontCaption, [&](HWND picker, int call) {
                if (call == 0)
                    return ChooseInList(picker, FONT_FACE_BOX, 2);
                dialogTopmost = (GetWindowLongA(picker, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
                Press(picker, IDCANCEL);
            });
            LRESULT result = Command(row.Command);
            runs.push_back({rig::FontRequests().back(), dialogTopmost, rig::DebugOutput(), rig::Boxes()});
            EXPECT_EQ(1, result);
        }
        SetPlayerTopmost(false);
        return runs;
    }
};

/* The request follows the player's topmost state (hook) and the line's face name (start on the line's font). */
TEST_F(FontPicker, RequestFollowsTheTopmostPlayerAndTheFaceName)
{
    std::vector<FontRun> runs = AskForEachRowsFont();
    ASSERT_EQ(std::size(FontRows), runs.size());
    for (size_t i = 0; i < runs.size(); i++) {
        const FontRow &row = FontRows[i];
        const CHOOSEFONTA &request = runs[i].Request.Record;
        SCOPED_TRACE(row.Flags);
        EXPECT_EQ(row.Flags, request.Flags);
        EXPECT_EQ(sizeof(CHOOSEFONTA), request.lStructSize);
        EXPECT_EQ(NULL, request.hwndOwner);
        EXPECT_TRUE(request.lpfnHook && !request.hDC && !request.lpTemplateName && !request.lpszStyle &&
                    !request.nSizeMin && !request.nSizeMax);
        EXPECT_STREQ(row.Face, runs[i].Request.FontAtEntry.lfFaceName);
        EXPECT_EQ(strtoul(row.Colour, NULL, 10), request.rgbColors);
    }
}

/*
 * With the hook, each message that it acts on writes the extended style,
 * and the closing box shows it: the dialog is topmost.
 */
TEST_F(FontPicker, HookKeepsTheDialogAboveATopmostPlayer)
{
    SKIP_WITHOUT_TEXT_MEASURING();
    std::vector<FontRun> runs = AskForEachRowsFont();
    ASSERT_EQ(std::size(FontRows), runs.size());
    for (size_t i = 0; i < runs.size(); i++) {
        const FontRow &row = FontRows[i];
        const FontRun &run = runs[i];
        SCOPED_TRACE(row.Flags);
        EXPECT_FALSE(run.Request.Result);
        const std::vector<UINT> &messages = run.Request.HookedMessages;
        size_t hooked = std::count_if(messages.begin(), messages.end(), [](UINT m) {
            return m == WM_INITDIALOG || m == WM_SHOWWINDOW || m == WM_COMMAND;
        });
        EXPECT_EQ(row.Topmost, hooked > 2) << "initialisation, showing and at least the list choice";
        EXPECT_EQ(row.Topmost, run.DialogTopmost);
        EXPECT_EQ(hooked, run.Output.size()) << "one line per hooked message";
        for (const std::string &line : run.Output) {
            unsigned style = 0;
            EXPECT_EQ(1, sscanf(line.c_str(), "Extended window style: 0x%08x", &style)) << line;
            EXPECT_TRUE(style & WS_EX_TOPMOST) << line;
        }
        std::vector<rig::Box> boxes = run.Boxes;
        if (row.Command == IDC_FONT_TITLE && !boxes.empty()) /* the tray's Title item says so first */
            boxes.erase(boxes.begin());
        ASSERT_EQ(row.Topmost ? 1u : 0u, boxes.size());
        if (row.Topmost) {
            EXPECT_EQ(PlayerWindow(), boxes[0].Owner);
            EXPECT_EQ("information", boxes[0].Caption);
            EXPECT_EQ(0x52040u, boxes[0].Flags);
            ASSERT_FALSE(run.Output.empty());
            EXPECT_EQ(run.Output.back(), boxes[0].Text) << "the final extended style";
        }
    }
}

/*
 * One line through three pickers, from the configuration dialog's button:
 * a cancel after a new font and colour were chosen, an OK on a new font
 * and colour, and a last opening that shows what the line holds.
 */
TEST_F(FontPicker, TakenOverOnOkOnlyAndCompleteAfterAFirstChoice)
{
    SKIP_WITHOUT_TEXT_MEASURING();
    WriteSettings(QuietStart + std::string("MarqueeForeground_Artist=4660\r\nMarqueeForeground_Album=22136\r\n"));
    ASSERT_EQ(0, StartPlugin());
    COLORREF chosenColour = 0;
    rig::OnDialog(FontCaption, [&](HWND picker, int) {
        ChooseInList(picker, FONT_FACE_BOX, 1);
        ChooseInList(picker, FONT_COLOUR_BOX, 3);
        chosenColour = (COLORREF)SendDlgItemMessageA(picker, FONT_COLOUR_BOX, CB_GETITEMDATA, 3, 0);
        Press(picker, rig::FontRequests().size() == 2 ? IDOK : IDCANCEL);
    });
    Configure([](HWND dialog, int) {
        for (int i = 0; i < 3; i++)
            Click(dialog, IDC_FONT_ARTIST);
        Press(dialog, IDOK);
    });
    const std::vector<rig::FontRequest> &requests = rig::FontRequests();
    ASSERT_EQ(3u, requests.size());
    EXPECT_TRUE(SameFont(requests[0].FontAtEntry, requests[1].FontAtEntry)) << "the cancel left the font";
    EXPECT_EQ(4660u, requests[1].Record.rgbColors) << "and the colour";
    EXPECT_EQ(257u, requests[1].Record.Flags);

    const LOGFONTA &font = requests[2].FontAtEntry;
    EXPECT_NE('\0', font.lfFaceName[0]) << "a complete font after OK on an empty face name";
    EXPECT_NE(0, font.lfHeight);
    EXPECT_NE(0, font.lfWeight);
    EXPECT_EQ(321u, requests[2].Record.Flags) << "opens on that font";
    EXPECT_NE(4660u, chosenColour);
    EXPECT_EQ(chosenColour, requests[2].Record.rgbColors);

    StopPlugin();
    EXPECT_EQ(font.lfFaceName, Saved("FONT_Artist_FaceName"));
    EXPECT_EQ(std::to_string(chosenColour), Saved("MarqueeForeground_Artist"));
    EXPECT_EQ("22136", Saved("MarqueeForeground_Album"));
    EXPECT_EQ("", Saved("FONT_Album_FaceName"));
}

/*
 * While the dialog's Artist picker is open, the tray asks for the Album
 * font: nothing happens, and the open picker's OK still lands in Artist.
 */
TEST_F(FontPicker, SecondRequestWhileOneIsOpenDoesNothing)
{
    SKIP_WITHOUT_TEXT_MEASURING();
    WriteSettings(QuietStart + std::string("MarqueeForeground_Artist=4660\r\nMarqueeForeground_Album=22136\r\n"));
    ASSERT_EQ(0, StartPlugin());
    HWND first = NULL;
    COLORREF chosenColour = 0;
    rig::OnDialog(FontCaption, [&](HWND picker, int) {
        if (first && picker != first)
            return Press(picker, IDCANCEL); /* a second picker */
        first = picker;
        EXPECT_EQ(1, Command(IDC_FONT_ALBUM));
        ChooseInList(picker, FONT_FACE_BOX, 1);
        ChooseInList(picker, FONT_COLOUR_BOX, 4);
        chosenColour = (COLORREF)SendDlgItemMessageA(picker, FONT_COLOUR_BOX, CB_GETITEMDATA, 4, 0);
        Press(picker, IDOK);
    });
    EXPECT_EQ(1, Command(IDC_FONT_ARTIST));
    EXPECT_EQ(1u, rig::FontRequests().size());
    StopPlugin();
    EXPECT_EQ(std::to_string(chosenColour), Saved("MarqueeForeground_Artist"));
    EXPECT_NE("", Saved("FONT_Artist_FaceName"));
    EXPECT_EQ("22136", Saved("MarqueeForeground_Album"));
    EXPECT_EQ("", Saved("FONT_Album_FaceName"));
}

/*
 * The colour picker from the tray, from the dialog's button and from the
 * tray again: cancel, OK, and an opening on the new colour.  Its custom
 * colours stay the same 16 black ones and cannot be defined.
 */
TEST_F(FontPicker, ColourPickerStartsOnTheBackgroundAndKeepsBlackCustomColours)
{
    SKIP_WITHOUT_TEXT_MEASURING();
    WriteSettings(QuietStart + std::string("MarqueeBackground=255\r\n"));
    ASSERT_EQ(0, StartPlugin());
    std::vector<bool> canDefine;
    rig::OnDialog(ColourCaption, [&](HWND picker, int) {
        canDefine.push_back(IsWindowEnabled(GetDlgItem(picker, COLOUR_DEFINE)));
        ClickBasicColour(picker, 2, 1);
        Press(picker, rig::ColourRequests().size() == 2 ? IDOK : IDCANCEL);
    });
    EXPECT_EQ(1, Command(IDC_BACKGROUND));
    Configure([](HWND dialog, int) {
        Click(dialog, IDC_BACKGROUND);
        Press(dialog, IDOK);
    });
    EXPECT_EQ(1, Command(IDC_BACKGROUND));

    const std::vector<rig::ColourRequest> &requests = rig::ColourRequests();
    ASSERT_EQ(3u, requests.size());
    EXPECT_EQ(std::vector<bool>(3, false), canDefine);
    const COLORREF chosen = requests[1].ChosenColour;
    EXPECT_NE(255u, chosen);
    const COLORREF initial[] = {255, 255, chosen};
    for (size_t i = 0; i < 3; i++) {
        SCOPED_TRACE(i);
        EXPECT_EQ(sizeof(CHOOSECOLORA), requests[i].Record.lStructSize);
        EXPECT_EQ(NULL, requests[i].Record.hwndOwner);
        EXPECT_EQ(5u, requests[i].Record.Flags);
        EXPECT_EQ(initial[i], requests[i].Record.rgbResult);
        EXPECT_EQ(requests[0].Record.lpCustColors, requests[i].Record.lpCustColors) << "one table for every call";
        EXPECT_EQ(std::vector<COLORREF>(16, 0), requests[i].CustomColoursAtEntry);
    }
    StopPlugin();
    EXPECT_EQ(std::to_string(chosen), Saved("MarqueeBackground"));
}

} // namespace
