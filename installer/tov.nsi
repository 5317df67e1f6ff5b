; TOV's installer, one per architecture: per user, no administrator rights, into the user's
; local programs folder. Built by installer/make-package, which passes
;   -DVERSION=2004.11.15 -DFILE_VERSION=2004.11.15.0 -DARCH=x64|x86 -DOUTFILE=<setup.exe>
;   -DICON=<tov.ico> -DPROGRAM_FILES=<File lines> -DPROGRAM_FILES_REMOVE=<Delete lines>
;   -DSETTINGS_FILES=<File lines of the samples>
; and, to sign, -DSIGN=<installer/sign>.
; The x86 installer says so on 64-bit Windows and offers to stop.
;
; Command line (besides NSIS's own /S for silent and /D=<folder>):
;   /STARTUP     start TOV when I log on (a shortcut in the user's Startup folder)
;   /NOSTARTUP   do not (removes that shortcut)
; Without either, an upgrade keeps the choice of the last install; a fresh install starts TOV
; from the Start menu only.

!if "${ARCH}" == "x64"
  Target amd64-unicode
!else
  Target x86-unicode
!endif

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh
!include WinMessages.nsh
!include x64.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\TOV"
; The host's "&Quit" command: unlike closing its window, it writes the flags back into
; HookOrder.ini before TOV ends.
!define QUIT_COMMAND 104
; How long TOV may take to unload its plug-ins and end, in milliseconds.
!define QUIT_WAIT 30000

Name "TOV ${VERSION}"
OutFile "${OUTFILE}"
!ifdef SIGN
  ; The uninstaller is made here and written out by the installer as it is: it is signed before
  ; it is packed (the installer itself after makensis, by installer/make-package).
  !uninstfinalize '"${SIGN}" "%1"'
!endif
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\TOV"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
SetCompressor /SOLID lzma
ShowInstDetails show
; Which build this is, where NSIS would name itself.
BrandingText "TOV ${VERSION} (${ARCH})"
ShowUninstDetails show

VIProductVersion "${FILE_VERSION}"
VIAddVersionKey "ProductName" "TOV"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "TOV ${VERSION} (${ARCH}) setup"
VIAddVersionKey "LegalCopyright" ""

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Start TOV"
!define MUI_FINISHPAGE_RUN_FUNCTION StartTov
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\guide.html"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Show the TOV guide"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Asks a running TOV to quit and waits for its process to end, so that no file of it is in use
; and its flags are in HookOrder.ini before anything is replaced or removed. Aborts when it does
; not end in time (a message box of TOV's own may be waiting for the user).
!macro QUIT_RUNNING_TOV un
Function ${un}QuitRunningTov
  FindWindow $0 "TOV" ""
  ${If} $0 == 0
    Return
  ${EndIf}
  DetailPrint "Asking TOV to quit..."
  System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1) i'
  ; SYNCHRONIZE
  System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i r1) p .r2'
  System::Call 'user32::PostMessageW(p r0, i ${WM_COMMAND}, p ${QUIT_COMMAND}, p 0) i .r3'
  ${If} $2 != 0
    System::Call 'kernel32::WaitForSingleObject(p r2, i ${QUIT_WAIT}) i .r3'
    System::Call 'kernel32::CloseHandle(p r2)'
  ${Else}
    ; Without a handle on the process: until its window is gone.
    StrCpy $3 1
    StrCpy $4 0
    ${DoWhile} $4 < ${QUIT_WAIT}
      Sleep 100
      IntOp $4 $4 + 100
      FindWindow $0 "TOV" ""
      ${If} $0 == 0
        StrCpy $3 0
        ${Break}
      ${EndIf}
    ${Loop}
  ${EndIf}
  FindWindow $0 "TOV" ""
  ${If} $3 != 0
  ${OrIf} $0 != 0
    MessageBox MB_OK|MB_ICONSTOP "TOV is running and did not quit when asked.$\r$\n$\r$\nChoose $\"Quit$\" in its tray menu, then run this again." /SD IDOK
    Abort "TOV did not quit."
  ${EndIf}
  DetailPrint "TOV has quit."
FunctionEnd
!macroend
!insertmacro QUIT_RUNNING_TOV ""
!insertmacro QUIT_RUNNING_TOV "un."

; Removes one program file. A plug-in library can stay mapped into programs its hook ran in for a
; while after TOV has quit (until they next take a message; Pushdown and Shuffla until they end),
; and then it cannot be deleted or replaced, but it can be renamed: it is moved into the temporary
; folder instead.
!macro REMOVE_PROGRAM_FILE name
  Delete "$INSTDIR\${name}"
  ${If} ${FileExists} "$INSTDIR\${name}"
    GetTempFileName $R0
    Delete $R0
    Rename "$INSTDIR\${name}" $R0
    ${If} ${FileExists} "$INSTDIR\${name}"
      DetailPrint "Could not remove $INSTDIR\${name}"
    ${EndIf}
  ${EndIf}
!macroend

Section "TOV" SecProgram
  SectionIn RO
  Call QuitRunningTov
  ${If} ${FileExists} "$INSTDIR\*.*"
    !include "${PROGRAM_FILES_REMOVE}"
  ${EndIf}
  SetOutPath "$INSTDIR"
  !include "${PROGRAM_FILES}"
  ; The user's own settings survive an upgrade: the samples go only where there are none.
  SetOverwrite off
  !include "${SETTINGS_FILES}"
  SetOverwrite on
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  ; TOV reads its files from the folder it starts in: the shortcut starts it in $OUTDIR.
  CreateShortCut "$SMPROGRAMS\TOV.lnk" "$INSTDIR\TOV.exe" "" "$INSTDIR\TOV.exe" 0
  CreateShortCut "$SMPROGRAMS\TOV guide.lnk" "$INSTDIR\guide.html"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "TOV"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\TOV.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Start TOV when I log on" SecStartup
  SetOutPath "$INSTDIR"
  CreateShortCut "$SMSTARTUP\TOV.lnk" "$INSTDIR\TOV.exe" "" "$INSTDIR\TOV.exe" 0
SectionEnd

Section "-Startup choice"
  ${IfNot} ${SectionIsSelected} ${SecStartup}
    Delete "$SMSTARTUP\TOV.lnk"
  ${EndIf}
SectionEnd

Function .onInit
!if "${ARCH}" == "x86"
  ; 64-bit Windows loads a hook library only into programs of its own width, so the 32-bit
  ; build's plug-ins never reach Explorer there. ${IsWow64} asks IsWow64Process2 where Windows
  ; has it (looked up when the installer runs) and IsWow64Process where it does not.
  ${If} ${IsWow64}
    MessageBox MB_YESNO|MB_ICONEXCLAMATION|MB_DEFBUTTON2 "This is the installer of the 32-bit build of TOV, and this Windows is 64-bit.$\r$\n$\r$\nExplorer, a 64-bit program, loads only 64-bit plug-ins: with this build the plug-ins for folder windows, the desktop and the taskbar do nothing. Take TOV-${VERSION}-x64-setup.exe (or TOV-${VERSION}-x64.zip) instead.$\r$\n$\r$\nInstall the 32-bit build anyway?" /SD IDYES IDYES +2
    Quit
  ${EndIf}
!endif
  ${IfNot} ${FileExists} "$SMSTARTUP\TOV.lnk"
    !insertmacro UnselectSection ${SecStartup}
  ${EndIf}
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/STARTUP" $1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecStartup}
  ${EndIf}
  ClearErrors
  ${GetOptions} $0 "/NOSTARTUP" $1
  ${IfNot} ${Errors}
    !insertmacro UnselectSection ${SecStartup}
  ${EndIf}
FunctionEnd

Function StartTov
  SetOutPath "$INSTDIR"
  Exec '"$INSTDIR\TOV.exe"'
FunctionEnd

; Removes the program and its shortcuts. HookOrder.ini, Chromal.conf, DesktopPushdownCommand.ini
; and TOV.ini are the user's: they stay, and with them the folder.
Section "Uninstall"
  Call un.QuitRunningTov
  !include "${PROGRAM_FILES_REMOVE}"
  Delete "$INSTDIR\Uninstall.exe"
  Delete "$SMPROGRAMS\TOV.lnk"
  Delete "$SMPROGRAMS\TOV guide.lnk"
  Delete "$SMSTARTUP\TOV.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  RMDir "$INSTDIR"
SectionEnd
