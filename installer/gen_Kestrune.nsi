; Setup program of the Kestrune plug-in: puts gen_Kestrune.dll into the
; Plugins folder of the folder where Winamp is installed, the user guide,
; the readme and CHANGES.txt into Plugins\Kestrune, and writes an
; uninstaller and an entry in the list of installed programs (machine-wide:
; setup runs as an administrator and installs for all users).
;
; Built by makensis (CMake's release target and the test builds):
;   makensis -DVERSION=<version> -DDLL=<gen_Kestrune.dll> -DLICENSE=<licence text>
;            -DDOCS=<folder of readme.txt, CHANGES.txt, user-guide.html, screenshots\>
;            -DOUTFILE=<setup program> [-DTARGET=amd64-unicode] gen_Kestrune.nsi
; TARGET is the NSIS stub: x86-unicode (the default) for the shipped 32-bit
; DLL; the x86_64 test build installs its own x86_64 DLL with amd64-unicode.
;
; Command line of the setup program:
;   /S                 silent: no window, no question
;   /D=<folder>        the Winamp folder (last, without quotes)
; Command line of the uninstaller:
;   /S                 silent; the plug-in's settings are kept
;   /REMOVESETTINGS    also removes the plug-in's section [Vellacord_Tovk]
;                      of Plugins\plugin.ini, and nothing else of that file
;   _?=<Plugins folder> runs in place (quotes around the folder are taken off)
; Exit codes: 0 done, 1 cancelled by the user, 2 failed (a file could not be
; written or removed), 3 Winamp was running (silent mode; otherwise the
; user is offered to close it), 4 no winamp.exe in the folder (silent mode;
; otherwise the user is asked whether to install there anyway).
;
; plugin.ini is shared by every plug-in of the player: setup never writes
; it, and the uninstaller only ever removes the one section, on request.

!ifndef TARGET
  !define TARGET x86-unicode
!endif
Target ${TARGET}
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!define PRODUCT "Kestrune"
!define PUBLISHER "Kestrune"
!define DLL_NAME "gen_Kestrune.dll"
!define UNINSTALLER "uninstall-gen_Kestrune.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\gen_Kestrune"
; The player's main window class: the player runs while a window of it exists.
!define PLAYER_CLASS "Winamp v1.x"
!define SETTINGS_SECTION "Vellacord_Tovk"
!define EXIT_CANCELLED 1
!define EXIT_FAILED 2
!define EXIT_PLAYER_RUNNING 3
!define EXIT_NO_PLAYER 4
!define DOCS_FOLDER "Kestrune"

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "WinMessages.nsh"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"
; The player's own record of its folder, else its usual place.
InstallDir "$PROGRAMFILES32\Winamp"
InstallDirRegKey HKCU "Software\Winamp" ""
AllowSkipFiles off

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"

!define MUI_ABORTWARNING
!define MUI_DIRECTORYPAGE_TEXT_TOP "Setup puts ${DLL_NAME} into the Plugins folder of Winamp. Choose the folder where Winamp is installed: the one that holds winamp.exe."
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "Winamp folder"
!define MUI_FINISHPAGE_TITLE "${PRODUCT} ${VERSION} is installed"
!define MUI_FINISHPAGE_TEXT "When Winamp starts, it loads the plug-in: the plug-in's icon shows in the notification area and its configuration dialog opens (at every start, until you untick $\"Launch configuration dialog on start.$\" there).$\r$\n$\r$\nThe user guide is in Plugins\\${DOCS_FOLDER} beside the plug-in."
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Start Winamp now"
!define MUI_FINISHPAGE_RUN_FUNCTION StartPlayer
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\Plugins\${DOCS_FOLDER}\user-guide.html"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Open the user guide"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE CheckPlayerFolder
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "Copyright (c) 2026 Kestrune"

; Waits until no player window is left: the DLL is locked while the player
; has it loaded.  The user is offered to have it closed (its window is
; asked to close, as its own close box would) and to try again; cancelling
; ends the program with EXIT_CANCELLED.  Silent mode never closes a
; running player: it ends with EXIT_PLAYER_RUNNING.
!macro WAIT_FOR_PLAYER_TO_CLOSE un
Function ${un}WaitForPlayerToClose
  retry:
    FindWindow $0 "${PLAYER_CLASS}"
    ${If} $0 == 0
      Return
    ${EndIf}
    ${If} ${Silent}
      SetErrorLevel ${EXIT_PLAYER_RUNNING}
      Quit
    ${EndIf}
    MessageBox MB_OKCANCEL|MB_ICONEXCLAMATION \
      "Winamp is running.$\r$\n$\r$\nWinamp keeps its plug-ins loaded while it runs, so ${DLL_NAME} cannot be changed now. Choose OK to close Winamp and go on, or Cancel to stop." \
      IDOK close
    SetErrorLevel ${EXIT_CANCELLED}
    Quit
  close:
    SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
    StrCpy $1 0
  wait:
    Sleep 200
    IntOp $1 $1 + 1
    IsWindow $0 0 retry
    IntCmp $1 25 retry wait retry
FunctionEnd
!macroend
!insertmacro WAIT_FOR_PLAYER_TO_CLOSE ""
!insertmacro WAIT_FOR_PLAYER_TO_CLOSE "un."

; Silent mode shows no window: its refusals are written to the standard
; error of the program or console that started it, where there is one.
Function SayOnStandardError ; the text in $R0
  System::Call 'kernel32::AttachConsole(i -1)'
  System::Call 'kernel32::GetStdHandle(i -12) p .r1'
  ${If} $1 P<> 0
  ${AndIf} $1 P<> -1
    FileWrite $1 "$R0$\r$\n"
  ${EndIf}
FunctionEnd

Function .onInit
  Call WaitForPlayerToClose
  ; Silent mode asks nothing: a folder without the player is refused.
  ${If} ${Silent}
  ${AndIfNot} ${FileExists} "$INSTDIR\winamp.exe"
    StrCpy $R0 "${PRODUCT} setup: there is no winamp.exe in $INSTDIR; it installs only into the folder where Winamp is installed (/D=<Winamp folder>). Nothing was installed."
    Call SayOnStandardError
    SetErrorLevel ${EXIT_NO_PLAYER}
    Quit
  ${EndIf}
FunctionEnd

; The finish page's "Start Winamp now".
Function StartPlayer
  ${If} ${FileExists} "$INSTDIR\winamp.exe"
    Exec '"$INSTDIR\winamp.exe"'
  ${EndIf}
FunctionEnd

; Leaving the folder page: a folder without winamp.exe is most likely not
; the player's, so the user confirms it.
Function CheckPlayerFolder
  ${IfNot} ${FileExists} "$INSTDIR\winamp.exe"
    MessageBox MB_YESNO|MB_ICONEXCLAMATION|MB_DEFBUTTON2 \
      "There is no winamp.exe in$\r$\n$INSTDIR$\r$\n$\r$\nWinamp loads plug-ins only from the Plugins folder beside winamp.exe. Install into this folder anyway?" \
      /SD IDYES IDYES +2
    Abort
  ${EndIf}
FunctionEnd

; Size of a file in bytes into $0 (0 when it cannot be opened).
!macro FILE_SIZE path
  FileOpen $1 "${path}" r
  FileSeek $1 0 END $0
  FileClose $1
!macroend

Section "${DLL_NAME}"
  ; The player may have been started while the pages were shown.
  Call WaitForPlayerToClose
  ${IfNot} ${FileExists} "$INSTDIR\winamp.exe"
    DetailPrint "Warning: there is no winamp.exe in $INSTDIR"
  ${EndIf}

  SetOutPath "$INSTDIR\Plugins"
  ClearErrors
  File "/oname=${DLL_NAME}" "${DLL}"
  WriteUninstaller "$INSTDIR\Plugins\${UNINSTALLER}"
  SetOutPath "$INSTDIR\Plugins\${DOCS_FOLDER}"
  File "${DOCS}\readme.txt"
  File "${DOCS}\CHANGES.txt"
  File "${DOCS}\user-guide.html"
  SetOutPath "$INSTDIR\Plugins\${DOCS_FOLDER}\screenshots"
  File "${DOCS}\screenshots\*.png"
  ${If} ${Errors}
    SetErrorLevel ${EXIT_FAILED}
    Abort "Could not write to $INSTDIR\Plugins"
  ${EndIf}

  !insertmacro FILE_SIZE "$INSTDIR\Plugins\${DLL_NAME}"
  StrCpy $2 $0
  !insertmacro FILE_SIZE "$INSTDIR\Plugins\${UNINSTALLER}"
  IntOp $2 $2 + $0
  ${GetSize} "$INSTDIR\Plugins\${DOCS_FOLDER}" "/S=0B" $0 $3 $4
  IntOp $2 $2 + $0
  IntOp $2 $2 + 1023
  IntOp $2 $2 / 1024
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} ${VERSION} (Winamp plug-in)"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Plugins\${DLL_NAME},0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Plugins\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Plugins\${UNINSTALLER}" /S'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; ---- the uninstaller: its folder ($INSTDIR) is the Plugins folder -------------

Function un.onInit
  ; "_?=" takes the rest of the command line as the folder, quotes included.
  StrCpy $0 $INSTDIR 1
  ${If} $0 == '"'
    StrCpy $INSTDIR $INSTDIR "" 1
  ${EndIf}
  StrCpy $0 $INSTDIR 1 -1
  ${If} $0 == '"'
    StrCpy $INSTDIR $INSTDIR -1
  ${EndIf}
  Call un.WaitForPlayerToClose
FunctionEnd

Section "Uninstall"
  ClearErrors
  Delete "$INSTDIR\${DLL_NAME}"
  ${If} ${Errors}
  ${OrIf} ${FileExists} "$INSTDIR\${DLL_NAME}"
    SetErrorLevel ${EXIT_FAILED}
    Abort "Could not remove $INSTDIR\${DLL_NAME}"
  ${EndIf}

  ; The settings stay unless asked for: a later install finds them again.
  ${un.GetParameters} $0
  ClearErrors
  ${un.GetOptions} $0 "/REMOVESETTINGS" $1
  ${IfNot} ${Errors}
    DeleteINISec "$INSTDIR\plugin.ini" "${SETTINGS_SECTION}"
  ${Else}
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
      "Also remove the plug-in's settings?$\r$\n$\r$\nThey are the section [${SETTINGS_SECTION}] of$\r$\n$INSTDIR\plugin.ini$\r$\nThe rest of that file belongs to other plug-ins and stays." \
      /SD IDNO IDNO +2
    DeleteINISec "$INSTDIR\plugin.ini" "${SETTINGS_SECTION}"
  ${EndIf}

  RMDir /r "$INSTDIR\${DOCS_FOLDER}"
  Delete "$INSTDIR\${UNINSTALLER}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
