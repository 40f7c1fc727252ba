; The Windows installer: makensis -DARCH=amd64|x86 -DVERSION=... -DEXE=Ditdahl.exe
;   -DICON=ditdahl.ico -DOUT=setup.exe ditdahl.nsi
; Per user, without administrator rights: the program goes to
; %LOCALAPPDATA%\Programs\Ditdahl, where it also keeps its settings file and
; its log (the Start-menu entry starts it there). The uninstaller leaves the
; settings file and the log.
Unicode true
Target ${ARCH}-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
Name "Ditdahl ${VERSION}"
OutFile "${OUT}"
InstallDir "$LOCALAPPDATA\Programs\Ditdahl"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Ditdahl"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Ditdahl"
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File "/oname=Ditdahl.exe" "${EXE}"
  File "/oname=ditdahl.ico" "${ICON}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  ; The shortcut's start directory is the output path: the installation.
  CreateShortCut "$SMPROGRAMS\Ditdahl.lnk" "$INSTDIR\Ditdahl.exe" "" "$INSTDIR\ditdahl.ico"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Ditdahl"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\ditdahl.ico"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  Delete "$SMPROGRAMS\Ditdahl.lnk"
  Delete "$INSTDIR\Ditdahl.exe"
  Delete "$INSTDIR\ditdahl.ico"
  Delete "$INSTDIR\uninstall.exe"
  ; Removed only when empty: the operator's settings and log stay.
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
