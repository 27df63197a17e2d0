/*
 * Driving the configuration dialog and the platform's pickers in the
 * end-to-end tests.  Dialogs are handed to the test by the rig's OnDialog
 * on the player's own thread, from inside their modal loops; the helpers
 * act on them as a user would (clicks, list choices, typed names).
 */
#ifndef KESTRUNE_TESTS_DIALOG_TESTS_H
#define KESTRUNE_TESTS_DIALOG_TESTS_H

#include "tests/rig/fixture.h"

#include <functional>
#include <string>

inline constexpr char ConfigurationCaption[] = "Tovk's WinAmp Logging/Play List Utility Plug-In";
/* Captions of the platform's pickers under Wine. */
inline constexpr char SaveAsCaption[] = "Save As";
inline constexpr char FolderCaption[] = "Browse for Folder";
inline constexpr char FontCaption[] = "Font";
inline constexpr char ColourCaption[] = "Color";

/* Control ids in the platform's picker templates. */
enum {
    FILE_NAME_BOX = 0x47c,   /* Save As: the file name */
    FILE_TYPE_BOX = 0x470,   /* Save As: the file types */
    FONT_FACE_BOX = 0x470,   /* Font: the face names */
    FONT_COLOUR_BOX = 0x473, /* Font: the text colours */
    COLOUR_GRID = 0x2d0,     /* Color: the basic colours */
    COLOUR_DEFINE = 0x2cf,   /* Color: "Define Custom Colors >>" */
};

/* A click on a button, which reaches the dialog as its WM_COMMAND. */
inline void Click(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

inline void Press(HWND dialog, int button) { PostMessageA(dialog, WM_COMMAND, button, 0); }

inline std::string ItemText(HWND dialog, int id)
{
    char text[2048] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

/* Chooses an entry of a drop-down list, with the notifications a click in its list sends. */
inline void ChooseInList(HWND dialog, int list, int index)
{
    HWND box = GetDlgItem(dialog, list);
    SendMessageA(box, CB_SETCURSEL, index, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(list, CBN_SELCHANGE), (LPARAM)box);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(list, CBN_SELENDOK), (LPARAM)box);
}

/* Types a file name into the Save As picker and confirms it. */
inline void SaveAs(HWND picker, const std::string &name)
{
    SetDlgItemTextA(picker, FILE_NAME_BOX, name.c_str());
    Press(picker, IDOK);
}

/* Clicks the colour picker's basic colour in this column (of 8) and row (of 6). */
inline void ClickBasicColour(HWND picker, int column, int row)
{
    HWND grid = GetDlgItem(picker, COLOUR_GRID);
    RECT area;
    GetClientRect(grid, &area);
    POINT point = {area.right * (2 * column + 1) / 16, area.bottom * (2 * row + 1) / 12};
    MapWindowPoints(grid, picker, &point, 1);
    SendMessageA(picker, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(point.x, point.y));
    SendMessageA(picker, WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
}

class DialogTest : public PluginTest
{
  protected:
    /* Hands the configuration dialog, whenever it is open, to whileOpen(dialog, call). */
    void OnConfiguration(std::function<void(HWND, int)> whileOpen) { rig::OnDialog(ConfigurationCaption, whileOpen); }
    /* Opens the configuration dialog as the tray's "Configure" does; returns when it has closed. */
    void Configure(std::function<void(HWND, int)> whileOpen)
    {
        OnConfiguration(whileOpen);
        Command(ID_CONFIGURE);
    }
    /* A key of plugin.ini as the file holds it now; "<none>" when it is missing. */
    std::string Saved(const std::string &key) const
    {
        char value[2048];
        GetPrivateProfileStringA("Vellacord_Tovk", key.c_str(), "<none>", value, sizeof value,
                                 (PluginsFolder() + "plugin.ini").c_str());
        return value;
    }
};

#endif
