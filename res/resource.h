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
#define IDD_STREAM_OUTPUTS 109

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
#define ID_STREAM_OUTPUTS 50021

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

/*
 * The configuration dialog (template 101): control ids in template order,
 * IDC_STATIC for its group boxes.  Buttons and check boxes carry their
 * command number as their id.
 */
#define IDC_STATIC (-1)
#define IDC_SIGNATURE_BUTTON 1000
#define IDC_SIGNATURE_EDIT 1001
#define IDC_LOG_BUTTON 1004
#define IDC_LOG_EDIT 1005
#define IDC_USE_SIGNATURE 1002
#define IDC_USE_LOG 1003
#define IDC_SIGNATURE_TITLE 1006
#define IDC_SIGNATURE_FILE_NAME 1007
#define IDC_LOG_TITLE 1008
#define IDC_LOG_FILE_NAME 1009
#define IDC_AUTO_COPY_FILE_NAME 1010
#define IDC_AUTO_COPY_TITLE 1011
#define IDC_CONFIGURE_ON_LAUNCH 1012
#define IDC_M3U_BUTTON 1013
#define IDC_M3U_EDIT 1014
#define IDC_USE_M3U 1015
#define IDC_CONFIG_BUILD_DATE 1016
#define IDC_CONFIG_BUILD_TIME 1017
#define IDC_SNAPSHOT_BUTTON 1018
#define IDC_SNAPSHOT_EDIT 1019
#define IDC_USE_NOW_PLAYING 1027
#define IDC_LOAD_PELMIX 1095
#define IDC_ZELT_MODE 1036
#define IDC_FAVORITES_BUTTON 1020
#define IDC_FAVORITES_EDIT 1021
#define IDC_MARQUEE 1039
#define IDC_SHOW_TITLE 1041
#define IDC_SHOW_ARTIST 1044
#define IDC_SHOW_ALBUM 1045
#define IDC_SHOW_TIME 1046

/* The tray icon: its number and its callback message are the same value. */
#define TRAY_ICON_ID 1381
#define WM_TRAY_NOTIFY 1381

/* Queries and requests to the player: WM_USER with the code in lParam. */
#define HOST_GET_VERSION 0
#define HOST_GET_PLAY_STATUS 104
#define HOST_GET_OUTPUT_TIME 105
#define HOST_JUMP_TO_TIME 106
#define HOST_WRITE_PLAYLIST 120
#define HOST_GET_LIST_LENGTH 124
#define HOST_GET_LIST_POSITION 125
#define HOST_GET_PLAYLIST_FILE 211
#define HOST_GET_PLAYLIST_TITLE 212
/* The same as wide texts (a Unicode-capable player, version 0x5000 and up). */
#define HOST_GET_PLAYLIST_TITLE_W 213
#define HOST_GET_PLAYLIST_FILE_W 214
/* One metadata field of a file: wParam is an extended-file-info record (ANSI from 0x2900, wide from 0x5000). */
#define HOST_GET_EXTENDED_FILE_INFO 290
#define HOST_GET_EXTENDED_FILE_INFO_W 3026
/* Versions from which the player answers them. */
#define HOST_VERSION_METADATA 0x2900
#define HOST_VERSION_UNICODE 0x5000
/* The player's settings folder: a char* into the player's memory (player 2.9 on), 0 from older players. */
#define HOST_GET_INI_DIRECTORY 335

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

/*
 * The player's notice to its own main window that it starts playing a file:
 * WM_USER with this code in lParam and the file name in wParam.  The hook
 * passes it on and asks for one early poll by posting the window the
 * message registered under EARLY_POLL_MESSAGE_NAME, a number of its own
 * that no message of the player can have.
 */
#define HOST_NOTICE_PLAYING_FILE 3003
#define EARLY_POLL_MESSAGE_NAME "gen_Kestrune.EarlyPoll"

/* Source lines that ReportSystemError names for each failed system call. */
#define ERROR_LINE_POLL_TIMER 694
/* The font picker could not be brought to the top of the window order. */
#define ERROR_LINE_FONT_DIALOG 1272

/* ---- Now Playing (105), Control Panel (106) and Cue Point Tweaker (107) ---- */

/* The Now Playing layout's read-only fields. */
#define IDC_NP_FILE_NAME 1080
#define IDC_NP_TAG_TITLE 1081
#define IDC_NP_TAG_ARTIST 1082
#define IDC_NP_TAG_ALBUM 1083
#define IDC_NP_TITLE 1085
#define IDC_NP_TAG_COMMENT 1086
#define IDC_NP_FILE_SIZE 1090
#define IDC_NP_PLAYLIST_ENTRY 1091
#define IDC_NP_PLAY_LENGTH 1093

/* The cue point tweaker's controls. */
#define IDC_CUE_SEEK 3
#define IDC_CUE_CURRENT 4
#define IDC_CUE_AUTO_SEEK 1034
#define IDC_CUE_LOCATION 1062
#define IDC_CUE_SPIN 1063

/* The Stream Outputs window's controls (template 109). */
#define IDC_STREAM_TEXT_EDIT 1100
#define IDC_STREAM_TEXT_BUTTON 1101
#define IDC_STREAM_TEMPLATE 1102
#define IDC_STREAM_PAUSED 1103
#define IDC_STREAM_STOPPED 1104
#define IDC_STREAM_COVER_EDIT 1105
#define IDC_STREAM_COVER_BUTTON 1106
#define IDC_STREAM_COVER_SIZE 1107
#define IDC_STREAM_UTF8 1108
#define IDC_STREAM_PREVIEW 1109

/* ---- end of the dialogs' numbers ---- */

/* The marquee's source lines: work area, window creation, title image copy. */
#define ERROR_LINE_WORK_AREA 1005
#define ERROR_LINE_MARQUEE_WINDOW 1014
#define ERROR_LINE_TITLE_IMAGE_COPY 1407

#endif
