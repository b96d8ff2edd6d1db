; The Windows installer: per user, no elevation, into the user's local
; programs folder. Made by cmake/Packaging.cmake (target pellaro_installer),
; which passes VERSION, VERSION_NUMBERS, COMPANY, PRODUCT, DISPLAY_NAME,
; PROGRAM, CLI, ICON and OUTFILE.
;
; Silent use: setup.exe /S installs (or upgrades in place);
; uninstall.exe /S removes the program, its shortcut, its Uninstall entry and
; its link registration; add /REMOVEDATA to remove the browser data folder too.

Unicode true
Target amd64-unicode
RequestExecutionLevel user
SetCompressor /SOLID lzma
ManifestDPIAware true

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh

!define PROGRAM_FILE "Tovrelapp.exe"
!define CLI_FILE "pellaro-cli.exe"
!define SCHEME "Tovrelapp"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\PellaroDesktopPlayer"
!define SCHEME_KEY "Software\Classes\${SCHEME}"
; The program keeps its browser profile here (the display name under %LOCALAPPDATA%).
!define DATA_FOLDER "$LOCALAPPDATA\${DISPLAY_NAME}"

Name "${DISPLAY_NAME}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION_NUMBERS}"
VIFileVersion "${VERSION_NUMBERS}"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "CompanyName" "${COMPANY}"
VIAddVersionKey /LANG=0 "FileDescription" "${PRODUCT} setup"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "LegalCopyright" "Copyright (C) ${COMPANY}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
; Ask for the language once and remember it for the uninstaller.
!define MUI_LANGDLL_REGISTRY_ROOT HKCU
!define MUI_LANGDLL_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MUI_LANGDLL_REGISTRY_VALUENAME "InstallerLanguage"
!define MUI_LANGDLL_ALLLANGUAGES

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\${PROGRAM_FILE}"
!insertmacro MUI_PAGE_FINISH

!define MUI_UNCONFIRMPAGE_TEXT_TOP "$(KeepsData)"
!insertmacro MUI_UNPAGE_CONFIRM
!define MUI_COMPONENTSPAGE_TEXT_TOP "$(ChooseData)"
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Arabic"
!insertmacro MUI_RESERVEFILE_LANGDLL

LangString KeepsData ${LANG_ENGLISH} "The program, its shortcut and its link registration will be removed. Your browser data (sign-ins, cookies) stays unless you tick it on the next page."
LangString KeepsData ${LANG_ARABIC} "ستتم إزالة البرنامج واختصاره وتسجيل روابطه. تبقى بيانات المتصفح (تسجيلات الدخول وملفات تعريف الارتباط) ما لم تحددها في الصفحة التالية."
LangString ChooseData ${LANG_ENGLISH} "Tick $\"Browser data$\" to remove ${DATA_FOLDER} as well; left unticked, it stays."
LangString ChooseData ${LANG_ARABIC} "حدّد $\"بيانات المتصفح$\" لإزالة ${DATA_FOLDER} أيضاً؛ إن لم تحدده فسيبقى."
LangString ProgramSection ${LANG_ENGLISH} "Program"
LangString ProgramSection ${LANG_ARABIC} "البرنامج"
LangString DataSection ${LANG_ENGLISH} "Browser data"
LangString DataSection ${LANG_ARABIC} "بيانات المتصفح"
LangString ProgramSectionText ${LANG_ENGLISH} "The player, the support tool, the shortcut, the Uninstall entry and the link registration."
LangString ProgramSectionText ${LANG_ARABIC} "المشغّل وأداة الدعم والاختصار وإدخال الإزالة وتسجيل الروابط."
LangString DataSectionText ${LANG_ENGLISH} "${DATA_FOLDER}: sign-ins, cookies and saved pages of the player's browser."
LangString DataSectionText ${LANG_ARABIC} "${DATA_FOLDER}: تسجيلات الدخول وملفات تعريف الارتباط والصفحات المحفوظة في متصفح المشغّل."

Function .onInit
  ; Upgrades go where the earlier version is.
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
    StrCpy $INSTDIR $0
  ${EndIf}
  !insertmacro MUI_LANGDLL_DISPLAY
FunctionEnd

Section "Install"
  SetOutPath "$INSTDIR"
  File "/oname=${PROGRAM_FILE}" "${PROGRAM}"
  File "/oname=${CLI_FILE}" "${CLI}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortCut "$SMPROGRAMS\${DISPLAY_NAME}.lnk" "$INSTDIR\${PROGRAM_FILE}" "" "$INSTDIR\${PROGRAM_FILE}" 0

  ; Links work before the first start; the program writes the same values at every start.
  WriteRegStr HKCU "${SCHEME_KEY}" "" "${PRODUCT}"
  WriteRegStr HKCU "${SCHEME_KEY}" "URL Protocol" ""
  WriteRegStr HKCU "${SCHEME_KEY}\DefaultIcon" "" "$INSTDIR\${PROGRAM_FILE},1"
  WriteRegStr HKCU "${SCHEME_KEY}\shell\open\command" "" "$\"$INSTDIR\${PROGRAM_FILE}$\" $\"%1$\""

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${DISPLAY_NAME} (${PRODUCT})"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${COMPANY}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${PROGRAM_FILE},0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" "$\"$INSTDIR\uninstall.exe$\""
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" "$\"$INSTDIR\uninstall.exe$\" /S"
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Section "!un.$(ProgramSection)" UnProgram
  SectionIn RO
  Delete "$INSTDIR\${PROGRAM_FILE}"
  Delete "$INSTDIR\${CLI_FILE}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${DISPLAY_NAME}.lnk"

  ; The link registration goes when it names this installation's program; a
  ; copy elsewhere registers itself again when it starts.
  ReadRegStr $0 HKCU "${SCHEME_KEY}\shell\open\command" ""
  ${If} $0 == "$\"$INSTDIR\${PROGRAM_FILE}$\" $\"%1$\""
  ${OrIf} $0 == ""
    DeleteRegKey HKCU "${SCHEME_KEY}"
  ${EndIf}
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd

Section /o "un.$(DataSection)" UnData
  RMDir /r "${DATA_FOLDER}"
SectionEnd

!insertmacro MUI_UNFUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${UnProgram} "$(ProgramSectionText)"
  !insertmacro MUI_DESCRIPTION_TEXT ${UnData} "$(DataSectionText)"
!insertmacro MUI_UNFUNCTION_DESCRIPTION_END

Function un.onInit
  !insertmacro MUI_UNGETLANGUAGE
  ; uninstall.exe /S /REMOVEDATA also removes the browser data folder.
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/REMOVEDATA" $1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${UnData}
  ${EndIf}
FunctionEnd
