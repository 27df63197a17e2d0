/*
 * Expected plugin.ini texts, shared by the settings store's unit tests and
 * the end-to-end tests of plugin.ini through the real DLL: one copy, so the
 * two suites cannot drift apart on what the store writes.
 */
#ifndef KESTRUNE_TESTS_SETTINGS_FILES_H
#define KESTRUNE_TESTS_SETTINGS_FILES_H

/* The section every key of the plug-in lives in. */
inline constexpr char SettingsSection[] = "[Vellacord_Tovk]\r\n";

/*
 * What quit writes after a first start: the section, then every key but the
 * five paths, in the order of a new file, as the system writes them
 * ("key=value" and CR LF, an empty face name as "key=").
 */
inline constexpr char FirstStartFile[] = "[Vellacord_Tovk]\r\n"
                                         "UseSignature=1\r\n"
                                         "RecordSignatureFileName=1\r\n"
                                         "RecordSignatureTitle=1\r\n"
                                         "UseLog=1\r\n"
                                         "RecordLogFileName=1\r\n"
                                         "RecordLogTitle=1\r\n"
                                         "UseM3U=1\r\n"
                                         "AutoClipboardCopyFileName=0\r\n"
                                         "AutoClipboardCopyTitle=0\r\n"
                                         "AlwaysConfigureOnLaunch=1\r\n"
                                         "Zelt_Mode=0\r\n"
                                         "MarqueeBackground=0\r\n"
                                         "MarqueeForeground_Title=0\r\n"
                                         "Font_Title_Description=0:0:0:0:0:0:0:0:0:0:0:0:0\r\n"
                                         "FONT_Title_FaceName=\r\n"
                                         "FONT_Title_Display=0\r\n"
                                         "MarqueeForeground_Artist=0\r\n"
                                         "Font_Artist_Description=0:0:0:0:0:0:0:0:0:0:0:0:0\r\n"
                                         "FONT_Artist_FaceName=\r\n"
                                         "FONT_Artist_Display=0\r\n"
                                         "MarqueeForeground_Album=0\r\n"
                                         "Font_Album_Description=0:0:0:0:0:0:0:0:0:0:0:0:0\r\n"
                                         "FONT_Album_FaceName=\r\n"
                                         "FONT_Album_Display=0\r\n"
                                         "MarqueeForeground_Time=0\r\n"
                                         "Font_Time_Description=0:0:0:0:0:0:0:0:0:0:0:0:0\r\n"
                                         "FONT_Time_FaceName=\r\n"
                                         "FONT_Time_Display=0\r\n"
                                         "UseNowPlaying=1\r\n"
                                         "UseUTF8=0\r\n"
                                         "StreamTextFileName=\r\n"
                                         "StreamTemplate=[%artist% - ]%title%\r\n"
                                         "StreamPausedTemplate=[%artist% - ]%title% (paused)\r\n"
                                         "StreamStoppedText=\r\n"
                                         "StreamCoverFileName=\r\n"
                                         "StreamCoverSize=500\r\n";

/*
 * Every key set, without the section line, in the order and spelling in
 * which the store writes them, every switch the opposite of its default.
 * Signature, log and Now Playing are off and the configuration dialog is
 * not opened at init, so in the player nothing but the settings store
 * touches a file.
 */
inline constexpr char FullFileLines[] = "SignatureFileName=C:\\Mail\\signature.txt\r\n"
                                        "UseSignature=0\r\n"
                                        "RecordSignatureFileName=0\r\n"
                                        "RecordSignatureTitle=0\r\n"
                                        "LogFileName=C:\\Logs\\played.log\r\n"
                                        "UseLog=0\r\n"
                                        "RecordLogFileName=0\r\n"
                                        "RecordLogTitle=0\r\n"
                                        "M3UFileName=C:\\Music\\master.m3u\r\n"
                                        "UseM3U=0\r\n"
                                        "AutoClipboardCopyFileName=1\r\n"
                                        "AutoClipboardCopyTitle=1\r\n"
                                        "AlwaysConfigureOnLaunch=0\r\n"
                                        "Zelt_Mode=1\r\n"
                                        "MarqueeBackground=16711935\r\n"
                                        "MarqueeForeground_Title=255\r\n"
                                        "Font_Title_Description=-19:0:0:0:700:0:0:0:0:3:2:1:34\r\n"
                                        "FONT_Title_FaceName=Arial\r\n"
                                        "FONT_Title_Display=1\r\n"
                                        "MarqueeForeground_Artist=65280\r\n"
                                        "Font_Artist_Description=-16:7:900:900:400:1:1:1:2:4:5:6:49\r\n"
                                        "FONT_Artist_FaceName=Times New Roman\r\n"
                                        "FONT_Artist_Display=1\r\n"
                                        "MarqueeForeground_Album=4294967295\r\n"
                                        "Font_Album_Description=12:-3:-900:0:1000:255:0:255:255:255:255:255:255\r\n"
                                        "FONT_Album_FaceName=Courier New\r\n"
                                        "FONT_Album_Display=1\r\n"
                                        "MarqueeForeground_Time=8421504\r\n"
                                        "Font_Time_Description=2147483647:-2147483648:0:0:0:0:0:0:0:0:0:0:0\r\n"
                                        "FONT_Time_FaceName=DejaVu Sans Mono\r\n"
                                        "FONT_Time_Display=1\r\n"
                                        "FavoritesDirectory=D:\\Favourite Songs\r\n"
                                        "UseNowPlaying=0\r\n"
                                        "SnapShotDirectory=C:\\Music\\Snapshots\r\n"
                                        "UseUTF8=1\r\n"
                                        "StreamTextFileName=C:\\Stream\\now.txt\r\n"
                                        "StreamTemplate=%title% by %artist%\r\n"
                                        "StreamPausedTemplate=\r\n"
                                        "StreamStoppedText=\" Off air \"\r\n"
                                        "StreamCoverFileName=C:\\Stream\\cover.png\r\n"
                                        "StreamCoverSize=300\r\n";

#endif
