; The peer installer of the side-by-side benchmark: an NSIS script doing the
; job of BrevikSetup.exe's hidden install and uninstall as closely as NSIS
; allows, from the same 21 payload files. Built by bench/peer/build, run by
; bench/compare; not shipped.
;
; makensis -DPEER_COMPRESSION=zlib|off -DPEER_INCLUDE_DIR=DIR -DPEER_OUTFILE=FILE
;   DIR holds the two lists generated from the payload manifest:
;   payload_files.nsh (one File line per entry, in package order) and
;   payload_delete.nsh (one Delete line per entry).
;
; What it mirrors: target folder $PROGRAMFILES\KV\Brevik (the 32-bit
; program-files folder, like our 32-bit program); the per-user key
; HKCU\Kelvane\Brevik deleted first; the driver-setup tool run from the target
; folder and waited for (the x64 build on a 64-bit host), "-h -i -H -n" to
; install and "-h -u -H" to remove, exit code 1 stopping the install; the
; shortcuts Readme and Brevik under Kelvane\Brevik in the per-user Programs
; folder named by the Shell Folders value and in the all-users one, with the
; target folder as working folder and the name as description; an
; uninstaller in the target folder; the uninstall entry's three values in the
; 32-bit registry view.
;
; What it leaves out: our program's start-up extras (the machine-wide
; single-instance mutex, asking the companion's windows to close, the
; driver-presence check that turns an install into an uninstall). NSIS has no
; plain instruction for them; leaving them out favours the peer slightly.
; Integrity: NSIS checks a CRC32 over its whole file at start (CRCCheck on,
; the default), where ours checks each entry's MD5 as it extracts.

!ifndef PEER_COMPRESSION
  !error "define PEER_COMPRESSION as zlib or off"
!endif
!ifndef PEER_INCLUDE_DIR
  !error "define PEER_INCLUDE_DIR, the folder of the generated payload lists"
!endif
!ifndef PEER_OUTFILE
  !error "define PEER_OUTFILE, the installer to write"
!endif

!if "${PEER_COMPRESSION}" == "off"
  SetCompress off
!else if "${PEER_COMPRESSION}" == "zlib"
  SetCompressor zlib
!else
  !error "PEER_COMPRESSION must be zlib or off"
!endif

; PEER_TARGET=amd64-unicode builds a 64-bit installer for the 64-bit test
; build of ours (machines that cannot run 32-bit programs): the 64-bit
; program-files folder and registry view, as a 64-bit program sees them.
!ifdef PEER_TARGET
  Target "${PEER_TARGET}"
  !define PEER_PROGRAMFILES "$PROGRAMFILES64"
!else
  !define PEER_PROGRAMFILES "$PROGRAMFILES"
!endif

!include "LogicLib.nsh"
!include "x64.nsh"

!define TARGET_SUBFOLDER "KV\Brevik"
!define USER_KEY "Kelvane\Brevik"
!define MENU_SUBFOLDER "Kelvane\Brevik"
!define SHELL_FOLDERS_KEY "Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders"
!define UNINSTALL_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\KV:Brevik {17359A74-1236-5467}"
!define UNINSTALLER "uninst.exe"
; The tool's exit code that means "restart first".
!define TOOL_EXIT_RESTART 1
; Our program's result for that case (-21), so a deployment tool reads the
; same exit code from both.
!define RESULT_RESTART_FIRST -21

Name "Brevik and Mireline"
OutFile "${PEER_OUTFILE}"
InstallDir "${PEER_PROGRAMFILES}\${TARGET_SUBFOLDER}"
RequestExecutionLevel admin
ShowInstDetails nevershow
ShowUninstDetails nevershow
AutoCloseWindow true
Page instfiles
UninstPage instfiles

; Shortcuts Readme and Brevik in <$0>\Kelvane\Brevik, made only when that
; folder exists afterwards. $OUTDIR is the target folder, which CreateShortcut
; takes as the shortcuts' working folder.
!macro PEER_CREATE_SHORTCUTS
  CreateDirectory "$0\${MENU_SUBFOLDER}"
  ${If} ${FileExists} "$0\${MENU_SUBFOLDER}\*.*"
    CreateShortcut "$0\${MENU_SUBFOLDER}\Readme.LNK" "$INSTDIR\readme.txt" "" "" 0 "" "" "Readme"
    CreateShortcut "$0\${MENU_SUBFOLDER}\Brevik.LNK" "$INSTDIR\SONDREL_Brevik.exe" "" "" 0 "" "" "Brevik"
  ${EndIf}
!macroend

; Deletes the two shortcuts in <$0>\Kelvane\Brevik, then that folder with
; whatever else it holds.
!macro PEER_DELETE_SHORTCUTS
  Delete "$0\${MENU_SUBFOLDER}\Brevik.LNK"
  Delete "$0\${MENU_SUBFOLDER}\Readme.LNK"
  RMDir /r "$0\${MENU_SUBFOLDER}"
!macroend

Section "Install"
  DeleteRegKey HKCU "${USER_KEY}"
  SetOutPath "$INSTDIR"
  !include "${PEER_INCLUDE_DIR}/payload_files.nsh"

  ${If} ${RunningX64}
    ExecWait '"$INSTDIR\SONDREL_Setup_x64.exe" -h -i -H -n' $1
  ${Else}
    ExecWait '"$INSTDIR\SONDREL_Setup.exe" -h -i -H -n' $1
  ${EndIf}
  ${If} $1 == ${TOOL_EXIT_RESTART}
    MessageBox MB_OK|MB_ICONSTOP "Cannot install Mireline Driver now...$\nYOU MUST RESTART your system and then relaunch setup program" /SD IDOK
    SetErrorLevel ${RESULT_RESTART_FIRST}
    Quit
  ${EndIf}

  SetShellVarContext current
  ReadRegStr $0 HKCU "${SHELL_FOLDERS_KEY}" "Programs"
  ${If} $0 != ""
    !insertmacro PEER_CREATE_SHORTCUTS
  ${EndIf}
  SetShellVarContext all
  StrCpy $0 "$SMPROGRAMS"
  ${If} $0 != ""
    !insertmacro PEER_CREATE_SHORTCUTS
  ${EndIf}

  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Brevik and Mireline"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Kelvane Software"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
SectionEnd

; Like our program, the uninstaller finds the target folder from the
; program-files folder, wherever it runs from.
Function un.onInit
  StrCpy $INSTDIR "${PEER_PROGRAMFILES}\${TARGET_SUBFOLDER}"
FunctionEnd

Section "Uninstall"
  SetOutPath "$INSTDIR"
  ${If} ${RunningX64}
    ExecWait '"$INSTDIR\SONDREL_Setup_x64.exe" -h -u -H' $1
  ${Else}
    ExecWait '"$INSTDIR\SONDREL_Setup.exe" -h -u -H' $1
  ${EndIf}
  ; Leave the target folder before deleting it: a process's current folder
  ; cannot be removed on Windows.
  SetOutPath "$TEMP"

  !include "${PEER_INCLUDE_DIR}/payload_delete.nsh"

  SetShellVarContext current
  ReadRegStr $0 HKCU "${SHELL_FOLDERS_KEY}" "Programs"
  ${If} $0 != ""
    !insertmacro PEER_DELETE_SHORTCUTS
  ${EndIf}
  SetShellVarContext all
  StrCpy $0 "$SMPROGRAMS"
  ${If} $0 != ""
    !insertmacro PEER_DELETE_SHORTCUTS
  ${EndIf}

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  RMDir /r "$INSTDIR"
  DeleteRegKey HKCU "${USER_KEY}"

  ${If} $1 == ${TOOL_EXIT_RESTART}
    MessageBox MB_OK|MB_ICONEXCLAMATION|MB_TOPMOST "RESTART SYSTEM to finish de-installation!" /SD IDOK
  ${Else}
    MessageBox MB_OK|MB_ICONEXCLAMATION|MB_TOPMOST "Brevik and Mireline have been removed from the system$\nBut YOU MUST RESTART your computer." /SD IDOK
  ${EndIf}
SectionEnd
