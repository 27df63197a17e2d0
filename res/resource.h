/*
 * Resource, command, control and message numbers of gen_Kestrune.dll.
 *
 * Kept by hand: the resource script, the plug-in and the stand-in player all
 * include this file, so every number the system exchanges is named once here.
 * Only #define lines, since the resource compiler reads this file too.
 */
#ifndef KESTRUNE_RESOURCE_H
#define KESTRUNE_RESOURCE_H

/* Resources of the DLL. */
#define IDD_CONFIGURATION 101
#define IDI_KESTRUNE 103
#define IDR_POPUP_MENU 104
#define IDD_NOW_PLAYING 105
#define IDD_CONTROL_PANEL 106
#define IDD_CUE_POINT_TWEAKER 107
#define IDR_MARQUEE_MENU 108
#define IDB_LOAD_PELMIX 111

/* Plug-in commands: WM_COMMAND with the number as the whole wParam. */
#define ID_PLAY 50001
#define ID_PAUSE_RESUME 50002
#define ID_PREVIOUS_TRACK 50003
#define ID_NEXT_TRACK 50004
#define ID_STOP 50005
#define ID_STOP_AFTER_CURRENT 50006
#define ID_COPY_TITLE 50007
#define ID_COPY_FILE_NAME 50008
#define ID_SNAP_SHOT 50009
#define ID_LYRICS_LOOKUP 50010
#define ID_CONFIGURE 50011
#define ID_ADD_CURRENT_TRACK 50012
#define ID_TOGGLE_WINDOWSHADE 50013
#define ID_ADD_ALL_TRACKS 50014
#define ID_NOW_PLAYING 50015
#define ID_NOW_PLAYING_ITEM 50016
#define ID_REPLACE_PLAYLIST 50017
#define ID_COPY_TO_FAVORITES 50018
#define ID_MARQUEE 50019
#define ID_MARQUEE_CHOOSE_FONT 50020

/* Control numbers that double as commands. */
#define IDC_CLEAR_PLAYLIST 1025
#define IDC_BUILD_DATE 1026
#define IDC_BUILD_TIME 1027
#define IDC_SWITCH_VIEW 1030
#define IDC_CUE_SHEET 1031
#define IDC_FONT_TITLE 1037
#define IDC_BACKGROUND 1038
#define IDC_FONT_ARTIST 1040
#define IDC_FONT_ALBUM 1042
#define IDC_FONT_TIME 1043

/* The tray icon: its number and its callback message are the same value. */
#define TRAY_ICON_ID 1381
#define WM_TRAY_NOTIFY 1381

/* Queries and requests to the player: WM_USER with the code in lParam. */
#define HOST_GET_PLAY_STATUS 104
#define HOST_GET_OUTPUT_TIME 105
#define HOST_JUMP_TO_TIME 106
#define HOST_WRITE_PLAYLIST 120
#define HOST_GET_LIST_LENGTH 124
#define HOST_GET_LIST_POSITION 125
#define HOST_GET_PLAYLIST_FILE 211
#define HOST_GET_PLAYLIST_TITLE 212

/* Answers of HOST_GET_PLAY_STATUS; anything else means stopped. */
#define HOST_STATUS_PLAYING 1
#define HOST_STATUS_PAUSED 3

/* wParam of HOST_GET_OUTPUT_TIME. */
#define HOST_OUTPUT_POSITION_MS 0
#define HOST_OUTPUT_LENGTH_SECONDS 1

/* Player commands: WM_COMMAND with the number in wParam and lParam 0. */
#define PLAYER_PREVIOUS 40044
#define PLAYER_PLAY 40045
#define PLAYER_PAUSE 40046
#define PLAYER_STOP 40047
#define PLAYER_NEXT 40048
#define PLAYER_WINDOWSHADE_MAIN 40064
#define PLAYER_STOP_AFTER_CURRENT 40157
#define PLAYER_WINDOWSHADE_PLAYLIST 40266

/* Source lines that ReportSystemError names for each failed system call. */
#define ERROR_LINE_POLL_TIMER 694

/* The marquee's source lines: work area, window creation, title image copy. */
#define ERROR_LINE_WORK_AREA 1005
#define ERROR_LINE_MARQUEE_WINDOW 1014
#define ERROR_LINE_TITLE_IMAGE_COPY 1407

#endif
