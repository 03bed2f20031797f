; The Windows installer: both programs with the firmware beside them in
; Program Files\Fernhollow Systems\FieldGatherer Firmware Update, a Start-menu
; shortcut to the window program, and an uninstaller listed among the
; installed programs. /S installs and uninstalls silently.
; Built by the "installer-win64" target, which writes BUNDLE (the version,
; the firmware and the files to pack).

Unicode true
; The default x86 stub does nothing under wine (it exits 0 without
; installing), and the programs are 64-bit anyway.
Target amd64-unicode

!include "${BUNDLE}"
!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\fwut-update"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT_NAME}.lnk"

Name "${PRODUCT_NAME}"
OutFile "${OUTPUT_FILE}"
InstallDir "$PROGRAMFILES64\${PUBLISHER}\${PRODUCT_NAME}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ManifestDPIAware true
BrandingText "${PUBLISHER}"

VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "${PRODUCT_NAME}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT_NAME} ${VERSION} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Copyright (C) 2018 ${PUBLISHER}"

!define MUI_ICON "${ICON_FILE}"
!define MUI_UNICON "${ICON_FILE}"
!define MUI_ABORTWARNING
!define MUI_WELCOMEPAGE_TITLE "${PRODUCT_NAME} ${VERSION}"
!define MUI_WELCOMEPAGE_TEXT "This installs ${PRODUCT_NAME} ${VERSION} with the firmware \
    ${FIRMWARE_VERSION} for the FieldGatherer Mobile Module.$\r$\n$\r$\n\
    An installed earlier version and its firmware are replaced.$\r$\n$\r$\n\
    Click Next to continue."
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\fwut-update.exe"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Function .onInit
    SetShellVarContext all
FunctionEnd

Function un.onInit
    SetShellVarContext all
FunctionEnd

Section "Install"
    ; An earlier installation's own uninstaller removes exactly its files: its
    ; firmware may have had a HEX file of another name. Run in place (_?=) so
    ; that the installer waits for it.
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 != ""
    ${AndIf} ${FileExists} "$0\Uninstall.exe"
        DetailPrint "Removing the installed version from $0"
        ExecWait '"$0\Uninstall.exe" /S _?=$0'
        Delete "$0\Uninstall.exe"
        RMDir "$0"
    ${EndIf}

    SetOutPath "$INSTDIR"
    File "/oname=fwut-update.exe" "${PROGRAM_EXE}"
    File "/oname=fwut-cli.exe" "${CLI_EXE}"
    File "/oname=FieldGatherer_MM_Psion.txt" "${DESCRIPTION_FILE}"
    File "/oname=${HEX_NAME}" "${HEX_FILE}"
    File "/oname=README.md" "${README_FILE}"
    File "/oname=json-output.md" "${JSON_CONTRACT_FILE}"
    WriteUninstaller "$INSTDIR\Uninstall.exe"
    CreateShortcut "${SHORTCUT}" "$INSTDIR\fwut-update.exe"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT_NAME}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Comments" "Firmware ${FIRMWARE_VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\fwut-update.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "URLInfoAbout" "http://www.fernhollow.example"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "HelpLink" "mailto:help@fernhollow.example"
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
    Delete "${SHORTCUT}"
    Delete "$INSTDIR\fwut-update.exe"
    Delete "$INSTDIR\fwut-cli.exe"
    Delete "$INSTDIR\FieldGatherer_MM_Psion.txt"
    Delete "$INSTDIR\${HEX_NAME}"
    Delete "$INSTDIR\README.md"
    Delete "$INSTDIR\json-output.md"
    Delete "$INSTDIR\Uninstall.exe"
    ; Files the operator put there stay, and with them the folder.
    RMDir "$INSTDIR"
    ; The publisher's folder goes too once it is empty, and only that folder.
    ${GetParent} "$INSTDIR" $0
    ${GetFileName} $0 $1
    ${If} $1 == "${PUBLISHER}"
        RMDir $0
    ${EndIf}
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
