; The installer of the Windows program. scripts/windows.sh builds it with
;   makensis -INPUTCHARSET UTF8 -DVERSION=1.0.0 -DSTAGE=<runnable folder> -DICON=<.ico>
;            -DLICENSE_TEXT=<licence texts> -DOUTFILE=<setup.exe> tahsilmatik.nsi
;
; Silent install:   Tahsilmatik-<version>-setup.exe /S /SERVER=192.168.1.10
; Silent removal:   "C:\Program Files\Tahsilmatik\uninstall.exe" /S

Unicode true
; A 32-bit installer does not start where Windows (or Wine) runs 64-bit programs only.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!include MUI2.nsh
!include nsDialogs.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include x64.nsh

!define PRODUCT "Tahsilmatik"
!ifndef PUBLISHER
  !define PUBLISHER "Tahsilmatik"
!endif
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tahsilmatik"
!define SETTINGS_DIR "C:\zerdapos"
!define SETTINGS_FILE "C:\zerdapos\Kuryeset.ini"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
BrandingText "${PRODUCT} ${VERSION}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1055 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1055 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1055 "FileDescription" "${PRODUCT} kurulumu"
VIAddVersionKey /LANG=1055 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1055 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1055 "LegalCopyright" "MIT; birlikte gelen bileşenler kendi lisanslarıyla"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_LICENSEPAGE_TEXT_TOP "Tahsilmatik ve birlikte kurulan bileşenlerin lisansları:"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${LICENSE_TEXT}"
!insertmacro MUI_PAGE_DIRECTORY
Page custom ServerPage ServerPageLeave
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Turkish"

Var ServerAddress
Var ServerField

Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_ICONSTOP "Tahsilmatik 64 bit Windows 10 veya 11 ister." /SD IDOK
    Abort
  ${EndIf}
  SetRegView 64
  ; /SERVER=<address> gives the database server on a silent install.
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/SERVER=" $ServerAddress
  ${If} ${Errors}
    StrCpy $ServerAddress ""
  ${EndIf}
FunctionEnd

; The database server's address, asked only while the settings file does not exist yet.
Function ServerPage
  ${If} ${FileExists} "${SETTINGS_FILE}"
    Abort
  ${EndIf}
  !insertmacro MUI_HEADER_TEXT "Veritabanı Sunucusu" "Tahsilatların yazılacağı MySQL / MariaDB sunucusu"
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 0 100% 40u "Restoranın veritabanı sunucusunun adresini (bilgisayar adı veya IP adresi) yazınız. Adres ${SETTINGS_FILE} dosyasının ilk satırına yazılır."
  Pop $0
  ${NSD_CreateText} 0 44u 100% 13u "$ServerAddress"
  Pop $ServerField
  nsDialogs::Show
FunctionEnd

Function ServerPageLeave
  ${NSD_GetText} $ServerField $ServerAddress
  ${If} $ServerAddress == ""
    MessageBox MB_ICONEXCLAMATION "Lütfen sunucunun adresini yazınız."
    Abort
  ${EndIf}
FunctionEnd

Section "Tahsilmatik" SecMain
  SectionIn RO
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File /r "${STAGE}\*.*"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\tahsilmatik.exe" "" "$INSTDIR\tahsilmatik.exe" 0
  CreateShortCut "$DESKTOP\${PRODUCT}.lnk" "$INSTDIR\tahsilmatik.exe" "" "$INSTDIR\tahsilmatik.exe" 0

  ; Windows' list of programs.
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tahsilmatik.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0

  Call WriteSettingsFile
SectionEnd

; The settings file names the server that gets the bills: it is written once, never overwritten.
Function WriteSettingsFile
  ${IfNot} ${FileExists} "${SETTINGS_DIR}\*.*"
    CreateDirectory "${SETTINGS_DIR}"
    Call RestrictSettingsFolder
  ${Else}
    ; Other point-of-sale programs may keep their own files here and write them: the folder's
    ; rights stay as the restaurant set them.
    DetailPrint "${SETTINGS_DIR} zaten var: klasörün izinleri değiştirilmedi."
  ${EndIf}
  ${If} ${FileExists} "${SETTINGS_FILE}"
    DetailPrint "${SETTINGS_FILE} korunuyor, değiştirilmedi."
    Return
  ${EndIf}
  ${If} $ServerAddress == ""
    DetailPrint "Sunucu adresi verilmedi: ${SETTINGS_FILE} yazılmadı."
    Return
  ${EndIf}
  ClearErrors
  FileOpen $0 "${SETTINGS_FILE}" w
  FileWrite $0 "$ServerAddress$\r$\n"
  FileClose $0
  ${If} ${Errors}
    DetailPrint "${SETTINGS_FILE} yazılamadı."
  ${Else}
    DetailPrint "Sunucu adresi $ServerAddress, ${SETTINGS_FILE} dosyasına yazıldı."
  ${EndIf}
FunctionEnd

; Whoever can change the settings file decides where the bills go. Windows lets every signed-in
; user change files in a folder made at the root of C:, so the folder the installer made is
; changed by administrators (and the system) only and read by everyone.
Function RestrictSettingsFolder
  nsExec::ExecToLog '"$SYSDIR\icacls.exe" "${SETTINGS_DIR}" /inheritance:r /grant:r *S-1-5-32-544:(OI)(CI)F *S-1-5-18:(OI)(CI)F *S-1-1-0:(OI)(CI)RX'
  Pop $0
  DetailPrint "${SETTINGS_DIR} izinleri (icacls): $0"
FunctionEnd

Function un.onInit
  SetRegView 64
FunctionEnd

Section "Uninstall"
  SetShellVarContext all
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Delete "$DESKTOP\${PRODUCT}.lnk"
  ; Only what the installer put there; the folder goes when nothing else is left in it.
  Delete "$INSTDIR\tahsilmatik.exe"
  Delete "$INSTDIR\*.dll"
  RMDir /r "$INSTDIR\platforms"
  RMDir /r "$INSTDIR\sqldrivers"
  RMDir /r "$INSTDIR\styles"
  RMDir /r "$INSTDIR\translations"
  RMDir /r "$INSTDIR\licenses"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ; ${SETTINGS_FILE} stays: it names the restaurant's server for a later installation.
SectionEnd
