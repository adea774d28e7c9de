; The Windows installer, tidewell-setup.exe, made by makensis on any host
; (packaging/windows/make_bundle.cmake runs it). It installs the files of the
; Windows build into Program Files\Tidewell, adds a Start menu entry and
; registers its uninstaller, UnWise.exe, in "Apps & features"; the window's
; Help > Uninstall Tidewell runs that same UnWise.exe from the program's
; folder. Both run silently with /S.
;
; The uninstaller removes exactly the files this installer put there (the
; list the bundle script wrote, files.nsh), never the folder as a whole: the
; deletion log and run report the programs keep beside themselves
; (Tidewell.log, Tidewell.txt) and the user's store (%APPDATA%\Tidewell) stay,
; and so does the program's folder while it holds them.
;
; Defined on makensis's command line:
;   VERSION   the four-part version, 3.0.1.471
;   BUNDLE    the folder holding files/ (what is installed) and the lists
;             of them, files.nsh and unfiles.nsh
;   SIZE_KB   their size, for "Apps & features"
;   OUTFILE   the installer to write
;   MAINTAINER, HOMEPAGE   the publisher and its address
;   WINDOW    defined when the bundle holds the window, tidewell.exe

; A 64-bit installer for 64-bit programs: it writes the 64-bit registry view,
; where "Apps & features" looks for them, and runs where they run (also under
; a 64-bit-only Wine).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!include FileFunc.nsh

!define APP_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tidewell"

Name "Tidewell"
Caption "Tidewell ${VERSION} Setup"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Tidewell"
; A folder chosen at an earlier installation is offered again.
InstallDirRegKey HKLM "${APP_KEY}" "InstallLocation"
BrandingText "Tidewell ${VERSION}"

VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "Tidewell"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "Tidewell Setup"
VIAddVersionKey "CompanyName" "The Tidewell developers"
VIAddVersionKey "LegalCopyright" "Copyright (c) 2026 The Tidewell developers (MIT licence)"

LicenseData "${BUNDLE}/files/LICENSE.txt"
Page license
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; For every user of the machine: the Start menu entry goes to the common
; Start menu.
Function .onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section "Tidewell"
  ; An earlier installation in the same folder goes first, by its own
  ; uninstaller (run in place with _?=, so that it is waited for): files the
  ; new version no longer ships would otherwise stay behind for good.
  IfFileExists "$INSTDIR\UnWise.exe" 0 +2
  ExecWait '"$INSTDIR\UnWise.exe" /S _?=$INSTDIR'
  !include "${BUNDLE}/files.nsh"
  ; The shortcut's working folder is the output folder: the program's own.
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\UnWise.exe"

  ; The Start menu entry: the window, or, in a build without it, a console
  ; window in the program's folder that shows tidewell-cli's help.
  CreateDirectory "$SMPROGRAMS\Tidewell"
!ifdef WINDOW
  CreateShortcut "$SMPROGRAMS\Tidewell\Tidewell.lnk" "$INSTDIR\tidewell.exe" "" "$INSTDIR\tidewell.exe" 0
!else
  CreateShortcut "$SMPROGRAMS\Tidewell\Tidewell console.lnk" "$SYSDIR\cmd.exe" \
    "/k tidewell-cli.exe --help" "$INSTDIR\tidewell-cli.exe" 0
!endif

  WriteRegStr HKLM "${APP_KEY}" "DisplayName" "Tidewell"
  WriteRegStr HKLM "${APP_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${APP_KEY}" "Publisher" "The Tidewell developers"
  WriteRegStr HKLM "${APP_KEY}" "Contact" "${MAINTAINER}"
  WriteRegStr HKLM "${APP_KEY}" "URLInfoAbout" "${HOMEPAGE}"
  WriteRegStr HKLM "${APP_KEY}" "InstallLocation" "$INSTDIR"
!ifdef WINDOW
  WriteRegStr HKLM "${APP_KEY}" "DisplayIcon" "$INSTDIR\tidewell.exe,0"
!else
  WriteRegStr HKLM "${APP_KEY}" "DisplayIcon" "$INSTDIR\tidewell-cli.exe,0"
!endif
  WriteRegStr HKLM "${APP_KEY}" "UninstallString" '"$INSTDIR\UnWise.exe"'
  WriteRegStr HKLM "${APP_KEY}" "QuietUninstallString" '"$INSTDIR\UnWise.exe" /S'
  WriteRegDWORD HKLM "${APP_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${APP_KEY}" "NoRepair" 1
  WriteRegDWORD HKLM "${APP_KEY}" "EstimatedSize" ${SIZE_KB}
SectionEnd

Section "Uninstall"
  !include "${BUNDLE}/unfiles.nsh"
  Delete "$INSTDIR\UnWise.exe"
  ; Only when empty: the folder stays while it holds the user's records.
  RMDir "$INSTDIR"

  ; UnWise.exe cannot delete itself while it runs, so it runs from a copy
  ; in a folder of its own under %TEMP% (~nsuN.tmp), which it asks Windows
  ; to delete at the next restart: first the folder, then the copy in it,
  ; and a folder still holding a file is not deleted. Asking again for the
  ; folder, after the copy, deletes it too; only that folder, one of
  ; %TEMP%'s own, never the program's folder (run in place with _?=).
  ${GetParent} "$EXEDIR" $0
  StrCmp "$0" "$TEMP" 0 +2
  RMDir /REBOOTOK "$EXEDIR"

  Delete "$SMPROGRAMS\Tidewell\Tidewell.lnk"
  Delete "$SMPROGRAMS\Tidewell\Tidewell console.lnk"
  RMDir "$SMPROGRAMS\Tidewell"

  DeleteRegKey HKLM "${APP_KEY}"
SectionEnd
