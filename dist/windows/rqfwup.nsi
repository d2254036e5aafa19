; The installer of rqfwup for 64-bit Windows: for every user of the machine, under Program Files, with
; a Start-menu entry for the window and an uninstaller; /S installs and uninstalls silently.
; scripts/windows makes it: makensis -DVERSION=1.0.0 -DSOURCE=<the installed folder>
;   -DUNINSTALL=<a list of its files to delete> -DOUTFILE=<the installer> rqfwup.nsi

Target amd64-unicode
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!define KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\rqfwup"

Name "rqfwup ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\rqfwup"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section
  SetShellVarContext all
  SetRegView 64
  SetOutPath "$INSTDIR"
  File /r "${SOURCE}\*.*"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\rqfwup.lnk" "$INSTDIR\rqfwup.exe"
  WriteRegStr HKLM "${KEY}" "DisplayName" "rqfwup ${VERSION}"
  WriteRegStr HKLM "${KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${KEY}" "DisplayIcon" "$INSTDIR\rqfwup.exe"
  WriteRegStr HKLM "${KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${KEY}" "NoRepair" 1
SectionEnd

; Only what the installer put there goes, so that a folder chosen by the user keeps anything else.
Section "Uninstall"
  SetShellVarContext all
  SetRegView 64
  Delete "$SMPROGRAMS\rqfwup.lnk"
  !include "${UNINSTALL}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${KEY}"
SectionEnd
