; The setup program of the Ostinel screen saver: puts ostinel.scr into the 64-bit system folder,
; where the screen-saver settings list it, makes it the current screen saver if asked, and registers
; an uninstaller in Apps & Features.
; Built by the dist target: makensis -DVERSION=x.y.z -DSCR=<ostinel.scr> -DSOURCE=<source tree>
; -DOUTFILE=<setup program> ostinel.nsi

Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true
RequestExecutionLevel admin

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Ostinel"
!define DESKTOP_KEY "Control Panel\Desktop"
!define SETTINGS_KEY "Software\n3v\OSTINEL"
!define PUBLISHER "the Ostinel team"
; SystemParametersInfo: SPI_SETSCREENSAVEACTIVE, stored in the profile and announced to windows.
!define SPI_SETSCREENSAVEACTIVE 17
!define SPIF_UPDATEINIFILE_SENDCHANGE 3

Name "Ostinel ${VERSION}"
OutFile "${OUTFILE}"
; Only the uninstaller lives here; the screen saver itself goes into the system folder.
InstallDir "$PROGRAMFILES64\Ostinel"
BrandingText "Ostinel ${VERSION}"
ShowInstDetails nevershow
ShowUninstDetails nevershow
; The space a screen saver takes is small and the uninstaller's would read 0 KB.
SpaceTexts none

!define MUI_ICON "${SOURCE}/windows/ostinel.ico"
!define MUI_UNICON "${SOURCE}/windows/ostinel.ico"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_SMALLDESC

!define MUI_WELCOMEPAGE_TEXT "This installs the Ostinel screen saver ${VERSION}: a table of \
  coloured boxes that spins while it plays the drum pattern the boxes spell out.$\r$\n$\r$\n\
  Ostinel goes into the Windows system folder, so the screen-saver settings list it as \
  $\"LUMENFOLD no.3$\". Administrator rights are needed for that.$\r$\n$\r$\n\
  Click Next to continue."
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${SOURCE}/LICENSE"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TEXT "Ostinel is installed.$\r$\n$\r$\nIn the screen-saver settings \
  (Settings, Personalisation, Lock screen, Screen saver) you can choose it, change its settings \
  with Settings... and watch it with Preview.$\r$\n$\r$\nTo remove it, use Apps && Features."
!insertmacro MUI_PAGE_FINISH

!define MUI_UNCONFIRMPAGE_TEXT_TOP "Ostinel ${VERSION} will be removed: ostinel.scr from the \
  system folder, and its uninstaller from the folder below. Click Next to continue."
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "Ostinel"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "Ostinel screen saver setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "(c) 2026 ${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "OriginalFilename" "ostinel-${VERSION}-setup.exe"

; Both programs write to the system folder and to HKLM: without administrator rights they stop
; before doing anything, rather than half-install.
!macro RequireAdministrator
  SetRegView 64
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "admin"
    MessageBox MB_ICONSTOP "Ostinel can only be installed or removed by an administrator." /SD IDOK
    SetErrorLevel 740 ; ERROR_ELEVATION_REQUIRED
    Quit
  ${EndIf}
!macroend

Function .onInit
  !insertmacro RequireAdministrator
FunctionEnd

Function un.onInit
  !insertmacro RequireAdministrator
FunctionEnd

; Installing over an earlier or the same version overwrites the same file, uninstaller and key.
Section "Ostinel screen saver" SectionSaver
  SectionIn RO
  SetOutPath "$SYSDIR"
  File "/oname=ostinel.scr" "${SCR}"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ${GetSize} "$INSTDIR" "/S=0K" $1 $2 $3
  ${GetSize} "$SYSDIR" "/M=ostinel.scr /S=0K /G=0" $0 $2 $3
  IntOp $0 $0 + $1
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Ostinel screen saver"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$SYSDIR\ostinel.scr,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Make it the current screen saver" SectionCurrent
  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$SYSDIR\ostinel.scr"
  WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "1"
  System::Call "user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i 1, p 0, \
    i ${SPIF_UPDATEINIFILE_SENDCHANGE})"
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SectionSaver} \
    "ostinel.scr in the system folder, and its entry in Apps & Features."
  !insertmacro MUI_DESCRIPTION_TEXT ${SectionCurrent} \
    "Choose Ostinel as your screen saver now and switch the screen saver on."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Section "un.Ostinel screen saver" UnSectionSaver
  SectionIn RO
  ; The current screen saver is switched off only when it is this file: the system may hold its
  ; path long or short.
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  GetFullPathName /SHORT $1 "$0"
  GetFullPathName /SHORT $2 "$SYSDIR\ostinel.scr"
  StrCpy $3 0
  ${If} $0 == "$SYSDIR\ostinel.scr"
    StrCpy $3 1
  ${ElseIf} $1 != ""
  ${AndIf} $1 == $2
    StrCpy $3 1
  ${EndIf}
  ${If} $3 == 1
    DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "0"
    System::Call "user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i 0, p 0, \
      i ${SPIF_UPDATEINIFILE_SENDCHANGE})"
  ${EndIf}

  Delete /REBOOTOK "$SYSDIR\ostinel.scr"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd

Section /o "un.Also remove my settings" UnSectionSettings
  DeleteRegKey HKCU "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKCU "Software\n3v"
SectionEnd

!insertmacro MUI_UNFUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${UnSectionSaver} \
    "ostinel.scr, its entry in Apps & Features and this uninstaller."
  !insertmacro MUI_DESCRIPTION_TEXT ${UnSectionSettings} \
    "Ostinel's settings (tempo, density, rotation...) of your user account."
!insertmacro MUI_UNFUNCTION_DESCRIPTION_END
