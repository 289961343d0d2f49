; The Vantrel fax client's setup program. Built by scripts/package, which
; stages the payload and passes:
;   ARCH     x86 or x64 (stub, program folder and registry view)
;   STAGE    folder holding KestridUI.exe, Version.txt and, when Ghostscript
;            is bundled, gs\ with gswin32c.exe and its DLL
;   VERSION  the product version (the text of Version.txt)
;   OUTFILE  the setup program to write
;   BUNDLED_GS  defined when STAGE\gs exists
;   STAGE also holds the print monitor: monitor-x64\vantrelmon.dll, and in the
;   x86 setup monitor-x86\vantrelmon.dll too (the spooler of 64-bit Windows
;   is 64-bit, so there the x86 setup installs the x64 monitor)
;
; Switches: /S silent, /D=folder, /KEY=<key> (key set-up for the installing
; user). Exit codes: 0 done, 2 installed without Ghostscript, 3 the key was
; refused (nothing stored), 4 the program kept running or a file stayed in
; use and nothing was replaced, 5 a file could not be written. A printer that could not be added is said in the install log and
; on the finish page; the program and Send To work without it. Uninstaller:
; /S silent, /PURGE also removes the stored key and account values.

!ifndef ARCH | STAGE | VERSION | OUTFILE
  !error "scripts/package passes ARCH, STAGE, VERSION and OUTFILE"
!endif

Unicode true
!if "${ARCH}" == "x64"
  Target amd64-unicode
!else
  Target x86-unicode
!endif
SetCompressor /SOLID lzma
; File times would make each build differ; nothing here needs them.
SetDateSave off
ManifestDPIAware true
; A file that cannot be written ends the setup (exit code 5) instead of
; being skipped, silently, into a half-replaced install.
AllowSkipFiles off
RequestExecutionLevel admin

;   PROGRAM_WAIT  (optional) how many seconds a silent setup or removal
;            waits for a running KestridUI.exe; 60 unless the tests ask for a
;            short one
;   SIGNER   (optional) a script that signs the file it is given in place
!ifndef PROGRAM_WAIT
  !define PROGRAM_WAIT 60
!endif
!ifdef SIGNER
  !uninstfinalize 'sh "${SIGNER}" "%1"' = 0
  !finalize 'sh "${SIGNER}" "%1"' = 0
!endif

!define PRODUCT "Vantrel Fax"
!define PUBLISHER "Vantrel"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vantrel"
!define SETTINGS_KEY "Software\Fax"
!define GS_URL "https://ghostscript.com/releases/gsdnld.html"
; The printer: our port monitor, its port, and a printer on it that uses the
; PostScript class driver Windows ships (the older name of Windows 7 second).
!define PRINTER "Vantrel Fax"
!define MONITOR "Vantrel Fax Monitor"
!define MONITOR_DLL "vantrelmon.dll"
!define MONITOR_KEY "SYSTEM\CurrentControlSet\Control\Print\Monitors\${MONITOR}"
!define PORT "VANTREL:"
!define PS_DRIVER "Microsoft PS Class Driver"
!define PS_DRIVER_OLD "MS Publisher Imagesetter"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
!if "${ARCH}" == "x64"
  InstallDir "$PROGRAMFILES64\Vantrel"
!else
  InstallDir "$PROGRAMFILES\Vantrel"
!endif
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PUBLISHER}"

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "WordFunc.nsh"
!include "LogicLib.nsh"
!include "x64.nsh"

!define MUI_ICON "..\resources\art\kestrid.ico"
!define MUI_UNICON "..\resources\art\kestrid.ico"
!define MUI_ABORTWARNING
; Our own pictures (tools/artwork), not the stock ones.
!define MUI_WELCOMEFINISHPAGE_BITMAP "..\resources\art\installer\side.bmp"
!define MUI_HEADERIMAGE
!define MUI_HEADERIMAGE_RIGHT
!define MUI_HEADERIMAGE_BITMAP "..\resources\art\installer\header.bmp"

Var FinishText
Var Waited
Var MonitorMoved
Var GhostscriptFrom
Var PrinterNote

!define MUI_WELCOMEPAGE_TITLE "Welcome to ${PRODUCT} ${VERSION} setup"
!define MUI_WELCOMEPAGE_TEXT "This installs the ${PRODUCT} client: the program, its Ghostscript, a Start-menu entry for setting up your app key, and a $\"Vantrel Fax$\" entry in Explorer's Send To menu.$\r$\n$\r$\nClose any running ${PRODUCT} window before you go on.$\r$\n$\r$\n$_CLICK"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TITLE "${PRODUCT} is installed"
!define MUI_FINISHPAGE_TEXT "$FinishText"
; Room for the longest text (Ghostscript missing) above the check box.
!define MUI_FINISHPAGE_TEXT_LARGE
!define MUI_FINISHPAGE_RUN "$INSTDIR\KestridUI.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Set up my app key now"
!define MUI_FINISHPAGE_RUN_NOTCHECKED
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; One line in the install log (and in the details list).
!macro Log text
  DetailPrint "${text}"
  Push "${text}"
  Call WriteLog
!macroend

!macro WriteLog un
Function ${un}WriteLog
  Exch $0
  Push $1
  FileOpen $1 "$INSTDIR\install.log" a
  ${If} $1 != ""
    FileSeek $1 0 END
    FileWrite $1 "$0$\r$\n"
    FileClose $1
  ${EndIf}
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro WriteLog ""
!insertmacro WriteLog "un."

!macro UseNativeView
  !if "${ARCH}" == "x64"
    SetRegView 64
  !endif
!macroend

Function .onInit
  !insertmacro UseNativeView
  !if "${ARCH}" == "x64"
    ${IfNot} ${RunningX64}
      MessageBox MB_ICONSTOP "This setup is for 64-bit Windows." /SD IDOK
      SetErrorLevel 1
      Quit
    ${EndIf}
  !endif
  SetShellVarContext all
FunctionEnd

; $0 = 1 when a process named KestridUI.exe runs (any folder: the one we
; replace may be started from a shortcut at any moment).
!if "${ARCH}" == "x64"
  !define ENTRY_SIZE 568
  !define NAME_AT 44
!else
  !define ENTRY_SIZE 556
  !define NAME_AT 36
!endif
; The monitor DLL the spooler has loaded cannot be overwritten, but Windows
; lets it be renamed: it is moved aside (and deleted at the next restart),
; so the setup writes the new one. $0 = its path when even that fails.
Function MoveMonitorAside
  Push $1
  !if "${ARCH}" == "x86"
    ${DisableX64FSRedirection}
  !endif
  StrCpy $1 "$SYSDIR\${MONITOR_DLL}"
  Call InUse
  ${If} $0 != ""
    Delete "$1.old"
    ClearErrors
    Rename $1 "$1.old"
    ${IfNot} ${Errors}
      Delete /REBOOTOK "$1.old"
      StrCpy $MonitorMoved 1
      StrCpy $0 ""
    ${EndIf}
  ${EndIf}
  !if "${ARCH}" == "x86"
    ${EnableX64FSRedirection}
  !endif
  Pop $1
FunctionEnd

!macro ProgramRunning un cancel cancelled untouched
Function ${un}ProgramRunning
  Push $1
  Push $2
  Push $3
  StrCpy $0 0
  ; PROCESSENTRY32W, read as its size, the bytes before the name, the name.
  System::Call 'kernel32::CreateToolhelp32Snapshot(i 2, i 0) p .r1'
  System::Alloc ${ENTRY_SIZE}
  Pop $2
  System::Call '*$2(i ${ENTRY_SIZE})'
  System::Call 'kernel32::Process32FirstW(p r1, p r2) i .r3'
  ${DoWhile} $3 <> 0
    System::Call '*$2(&i${NAME_AT}, &w260 .r3)'
    ${If} $3 == "KestridUI.exe"
      StrCpy $0 1
      ${Break}
    ${EndIf}
    System::Call 'kernel32::Process32NextW(p r1, p r2) i .r3'
  ${Loop}
  System::Free $2
  System::Call 'kernel32::CloseHandle(p r1)'
  Pop $3
  Pop $2
  Pop $1
FunctionEnd

; $0 = "" when $1 (a path) is missing or free to be replaced, else $1: it
; cannot be opened for writing (a program holds it).
Function ${un}InUse
  StrCpy $0 ""
  ${If} ${FileExists} $1
    FileOpen $0 $1 a
    ${If} $0 == ""
      StrCpy $0 $1
    ${Else}
      FileClose $0
      StrCpy $0 ""
    ${EndIf}
  ${EndIf}
FunctionEnd

; $0 = what keeps the files from being replaced or removed: "" (nothing),
; "program" (a KestridUI.exe runs), or the path of a file in use.
Function ${un}Obstacle
  Call ${un}ProgramRunning
  ${If} $0 == 1
    StrCpy $0 "program"
    Return
  ${EndIf}
  Push $1
  Push $2
  ; The uninstaller runs from uninstall.exe itself (_?=) or a copy of it.
  !if "${un}" == ""
    !define /redef LAST 2
  !else
    !define /redef LAST 1
  !endif
  ${ForEach} $2 0 ${LAST} + 1
    ${Select} $2
      ${Case} 0
        StrCpy $1 "$INSTDIR\KestridUI.exe"
      ${Case} 1
        StrCpy $1 "$INSTDIR\Version.txt"
      ${Case} 2
        StrCpy $1 "$INSTDIR\uninstall.exe"
    ${EndSelect}
    Call ${un}InUse
    ${IfThen} $0 != "" ${|} ${Break} ${|}
  ${Next}
  ${If} $0 == ""
    ; Ghostscript's files, whichever were copied.
    FindFirst $2 $1 "$INSTDIR\Xtra\PD\*.*"
    ${DoWhile} $1 != ""
      ${If} $1 != "."
      ${AndIf} $1 != ".."
        StrCpy $1 "$INSTDIR\Xtra\PD\$1"
        Call ${un}InUse
        ${IfThen} $0 != "" ${|} ${Break} ${|}
      ${EndIf}
      FindNext $2 $1
    ${Loop}
    FindClose $2
  ${EndIf}
  !if "${un}" == ""
    ${If} $0 == ""
      Call MoveMonitorAside
    ${EndIf}
  !endif
  Pop $2
  Pop $1
FunctionEnd

; Waits (silent) or asks (with a window) until no KestridUI.exe runs and no
; file to be replaced is in use, so that files are never half replaced or
; removed. Given up, it ends with 4 before anything was changed, and says so
; in the log.
Function ${un}WaitUntilFree
  Push $9
  StrCpy $9 0
  ${Do}
    Call ${un}Obstacle
    ${If} $0 == ""
      ${Break}
    ${ElseIf} $0 == "program"
      StrCpy $1 "${PRODUCT} is running"
      StrCpy $2 "${PRODUCT} was running"
      StrCpy $3 "${PRODUCT} is still running"
      StrCpy $4 "for it to end"
      StrCpy $5 "Close its window, then press Retry."
    ${Else}
      StrCpy $1 "$0 is in use"
      StrCpy $2 "$0 was in use"
      StrCpy $3 "$0 is still in use"
      StrCpy $4 "for it to be free"
      StrCpy $5 "Close the program that holds it, then press Retry."
    ${EndIf}
    ${If} ${Silent}
      ${If} $9 == 0
        StrCpy $Waited "$2: waited $4 (up to ${PROGRAM_WAIT} s)."
        Push "$1: waiting up to ${PROGRAM_WAIT} s $4."
        Call ${un}WriteLog
      ${EndIf}
      ${If} $9 >= ${PROGRAM_WAIT}
        DetailPrint "$3 after ${PROGRAM_WAIT} s. ${untouched}"
        Push "$3 after ${PROGRAM_WAIT} s. ${untouched}"
        Call ${un}WriteLog
        SetErrorLevel 4
        Quit
      ${EndIf}
      IntOp $9 $9 + 1
      Sleep 1000
    ${Else}
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$1. $5$\r$\n$\r$\n${cancel}" IDRETRY retry
      Push "$2 and ${cancelled}. ${untouched}"
      Call ${un}WriteLog
      SetErrorLevel 4
      Quit
      retry:
    ${EndIf}
  ${Loop}
  Pop $9
FunctionEnd
!macroend
!insertmacro ProgramRunning "" \
  "Cancel ends the setup and leaves the installed program as it is." \
  "the setup was cancelled" "Nothing was changed."
!insertmacro ProgramRunning "un." \
  "Cancel ends the removal and leaves the program installed as it is." \
  "the removal was cancelled" "Nothing was removed."

; Ghostscript registered by its own setup: $0 = its bin folder, or empty.
; The newest version wins; 32- and 64-bit registrations both count.
Function FindRegisteredGhostscript
  Push $1
  Push $2
  Push $3
  Push $4
  Push $5
  StrCpy $0 ""
  StrCpy $5 ""
  ${ForEach} $4 32 64 + 32
    ${If} $4 == 32
      SetRegView 32
    ${Else}
      SetRegView 64
    ${EndIf}
    StrCpy $1 0
    ${Do}
      EnumRegKey $2 HKLM "SOFTWARE\GPL Ghostscript" $1
      ${If} $2 == ""
        ${Break}
      ${EndIf}
      ReadRegStr $3 HKLM "SOFTWARE\GPL Ghostscript\$2" "GS_DLL"
      ${If} $3 != ""
        ${GetParent} $3 $3
        ${If} ${FileExists} "$3\gswin32c.exe"
        ${OrIf} ${FileExists} "$3\gswin64c.exe"
          ${If} $5 == ""
            StrCpy $5 $2
            StrCpy $0 $3
          ${Else}
            ${VersionCompare} $2 $5 $R9
            ${If} $R9 == 1
              StrCpy $5 $2
              StrCpy $0 $3
            ${EndIf}
          ${EndIf}
        ${EndIf}
      ${EndIf}
      IntOp $1 $1 + 1
    ${Loop}
  ${Next}
  !insertmacro UseNativeView
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
FunctionEnd

Section "Program" SecProgram
  SectionIn RO
  Call WaitUntilFree
  SetOutPath "$INSTDIR"
  Delete "$INSTDIR\install.log"
  !insertmacro Log "${PRODUCT} ${VERSION} into $INSTDIR"
  ${If} $Waited != ""
    !insertmacro Log "$Waited"
  ${EndIf}
  File "${STAGE}\KestridUI.exe"
  File "${STAGE}\Version.txt"

  ; Ghostscript: bundled, else the registered one, else none.
  CreateDirectory "$INSTDIR\Xtra\PD"
  StrCpy $GhostscriptFrom ""
  !ifdef BUNDLED_GS
    SetOutPath "$INSTDIR\Xtra\PD"
    File "${STAGE}\gs\*.*"
    SetOutPath "$INSTDIR"
    StrCpy $GhostscriptFrom "bundled"
  !else
    Call FindRegisteredGhostscript
    ${If} $0 != ""
      CopyFiles /SILENT "$0\*.*" "$INSTDIR\Xtra\PD"
      ; The program calls the 32-bit console name whatever the build.
      ${IfNot} ${FileExists} "$INSTDIR\Xtra\PD\gswin32c.exe"
        CopyFiles /SILENT "$0\gswin64c.exe" "$INSTDIR\Xtra\PD\gswin32c.exe"
      ${EndIf}
      StrCpy $GhostscriptFrom "$0"
    ${EndIf}
  !endif

  ${If} ${FileExists} "$INSTDIR\Xtra\PD\gswin32c.exe"
    !insertmacro Log "Ghostscript: $GhostscriptFrom"
    StrCpy $FinishText "${PRODUCT} ${VERSION} is installed.$\r$\n$\r$\nUse $\"Vantrel key setup$\" in the Start menu to enter your app key, then send any PostScript or PDF file with Send To > Vantrel Fax."
  ${Else}
    !insertmacro Log "Ghostscript is missing: print jobs cannot be converted. Install GPL Ghostscript (${GS_URL}), then run this setup again."
    StrCpy $FinishText "${PRODUCT} ${VERSION} is installed, but Ghostscript is missing, so print jobs cannot be converted to PDF yet.$\r$\n$\r$\nInstall GPL Ghostscript from ${GS_URL}, then run this setup again."
    SetErrorLevel 2
  ${EndIf}

  ; The key-setup window is what the program shows when started alone.
  SetShellVarContext all
  CreateShortcut "$SMPROGRAMS\Vantrel key setup.lnk" "$INSTDIR\KestridUI.exe" "" "$INSTDIR\KestridUI.exe" 0
  ; Send To lists only the installing user's entries.
  SetShellVarContext current
  CreateShortcut "$SENDTO\Vantrel Fax.lnk" "$INSTDIR\KestridUI.exe" "" "$INSTDIR\KestridUI.exe" 0
  SetShellVarContext all

  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\KestridUI.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  ; The Send To entry is the installing user's; its uninstaller removes it.
  WriteRegStr HKLM "${UNINSTALL_KEY}" "SendToEntry" "$SENDTO\Vantrel Fax.lnk"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

; The spooler's environment name: the monitor must match the spooler, not
; this setup program.
!macro SpoolerEnvironment var
  ${If} ${RunningX64}
    StrCpy ${var} "Windows x64"
  ${Else}
    StrCpy ${var} "Windows NT x86"
  ${EndIf}
!macroend

; $0 = 0 when the monitor's Xcv interface did what (AddPort or DeletePort)
; asks with the port, else the Win32 error.
!macro XcvPort un
Function ${un}XcvPort
  Exch $1
  Push $2
  Push $3
  Push $4
  Push $5
  ; PRINTER_DEFAULTSW asking for SERVER_ACCESS_ADMINISTER.
  System::Call '*(p 0, p 0, i 1) p .r2'
  System::Call 'winspool.drv::OpenPrinterW(w ",XcvMonitor ${MONITOR}", *p .r3, p r2) i .r0 ?e'
  Pop $4
  ${If} $0 == 1
    System::Call 'winspool.drv::XcvDataW(p r3, w r1, w "${PORT}", i ${PORT_BYTES}, p 0, i 0, *i .r4, *i .r5) i .r0 ?e'
    Pop $4
    ${If} $0 == 1
      StrCpy $0 $5
    ${Else}
      StrCpy $0 $4
    ${EndIf}
    System::Call 'winspool.drv::ClosePrinter(p r3)'
  ${Else}
    StrCpy $0 $4
  ${EndIf}
  System::Free $2
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
FunctionEnd
!macroend
; "VANTREL:" and its zero, in bytes.
!define PORT_BYTES 18
!insertmacro XcvPort ""
!insertmacro XcvPort "un."

; $7 = the driver when it is (or now is) installed for the spooler's
; environment ($6) and none was found before.
!macro TryDriver name
  ${If} $7 == ""
    System::Call 'winspool.drv::InstallPrinterDriverFromPackageW(p 0, p 0, w "${name}", w r6, i 0) i .r0'
    ${If} $0 == 0
      StrCpy $7 "${name}"
    ${Else}
      !insertmacro Log "Printer: the driver $\"${name}$\" is not available ($0)."
    ${EndIf}
  ${EndIf}
!macroend

Section "-Printer" SecPrinter
  StrCpy $PrinterNote ""
  !insertmacro SpoolerEnvironment $6
  ; The monitor goes where the spooler loads monitors from: the system
  ; folder of its own bitness.
  !if "${ARCH}" == "x86"
    ${If} ${RunningX64}
      ${DisableX64FSRedirection}
      SetOutPath "$SYSDIR"
      File "${STAGE}\monitor-x64\${MONITOR_DLL}"
      ${EnableX64FSRedirection}
    ${Else}
      SetOutPath "$SYSDIR"
      File "${STAGE}\monitor-x86\${MONITOR_DLL}"
    ${EndIf}
  !else
    SetOutPath "$SYSDIR"
    File "${STAGE}\monitor-x64\${MONITOR_DLL}"
  !endif
  SetOutPath "$INSTDIR"

  ; MONITOR_INFO_2W. An upgrade finds it there already.
  System::Call '*(w "${MONITOR}", w r6, w "${MONITOR_DLL}") p .r1'
  System::Call 'winspool.drv::AddMonitorW(p 0, i 2, p r1) i .r0 ?e'
  Pop $2
  System::Free $1
  ${If} $0 == 1
  ${OrIf} $2 == 3006  ; ERROR_PRINT_MONITOR_ALREADY_INSTALLED
    !insertmacro Log "Printer: the monitor ${MONITOR} (${MONITOR_DLL}, $6) is added."
    ${If} $MonitorMoved == 1
      !insertmacro Log "Printer: the spooler had the old monitor loaded; it uses the new one once it restarts."
    ${EndIf}
  ${Else}
    !insertmacro Log "Printer: the spooler refused the monitor ${MONITOR} (error $2)."
    StrCpy $PrinterNote "the print monitor could not be added (error $2)"
  ${EndIf}
  ; The program the monitor starts for each job.
  SetRegView 64
  WriteRegStr HKLM "${MONITOR_KEY}" "Program" "$INSTDIR\KestridUI.exe"
  !insertmacro UseNativeView

  ${If} $PrinterNote == ""
    Push "AddPort"
    Call XcvPort
    ${If} $0 == 0
    ${OrIf} $0 == 183  ; ERROR_ALREADY_EXISTS: an upgrade
      !insertmacro Log "Printer: the port ${PORT} is added."
    ${Else}
      !insertmacro Log "Printer: the port ${PORT} could not be added (error $0)."
      StrCpy $PrinterNote "its port could not be added (error $0)"
    ${EndIf}
  ${EndIf}

  ${If} $PrinterNote == ""
    ; The driver from the driver store (Windows 8 and later), else the
    ; PostScript driver of Windows 7.
    StrCpy $7 ""
    !insertmacro TryDriver "${PS_DRIVER}"
    !insertmacro TryDriver "${PS_DRIVER_OLD}"
    ${If} $7 == ""
      StrCpy $PrinterNote "Windows offers neither the $\"${PS_DRIVER}$\" nor the $\"${PS_DRIVER_OLD}$\" PostScript driver"
    ${Else}
      ; PRINTER_INFO_2W: 13 pointers (name, port, driver, comment, print
      ; processor, data type), then the attributes and 7 more numbers.
      System::Call '*(p 0, w "${PRINTER}", p 0, w "${PORT}", w r7, w "Sends what you print as a fax", p 0, p 0, p 0, w "winprint", w "RAW", p 0, p 0, i 0x40, i 1, i 1, i 0, i 0, i 0, i 0, i 0) p .r1'
      System::Call 'winspool.drv::AddPrinterW(p 0, i 2, p r1) p .r0 ?e'
      Pop $2
      System::Free $1
      ${If} $0 != 0
        System::Call 'winspool.drv::ClosePrinter(p r0)'
        !insertmacro Log "Printer: $\"${PRINTER}$\" is added with the driver $\"$7$\"."
      ${ElseIf} $2 == 1802  ; ERROR_PRINTER_ALREADY_EXISTS
        !insertmacro Log "Printer: $\"${PRINTER}$\" is there already."
      ${Else}
        StrCpy $PrinterNote "the spooler refused the printer (error $2)"
      ${EndIf}
    ${EndIf}
  ${EndIf}

  ${If} $PrinterNote != ""
    !insertmacro Log "Printer: $\"${PRINTER}$\" is missing: $PrinterNote. Send To > Vantrel Fax still works."
  ${EndIf}
SectionEnd

; $0 = when the installing user's settings were last written, as a number
; (empty when none are stored).
Function SettingsWriteTime
  Push $1
  Push $2
  StrCpy $0 ""
  ; HKEY_CURRENT_USER, KEY_READ
  System::Call 'advapi32::RegOpenKeyExW(p -2147483647, w "${SETTINGS_KEY}\Settings", i 0, i 0x20019, *p .r1) i .r2'
  ${If} $2 == 0
    System::Call 'advapi32::RegQueryInfoKeyW(p r1, p 0, p 0, p 0, p 0, p 0, p 0, p 0, p 0, p 0, p 0, *l .r0) i .r2'
    ${IfThen} $2 != 0 ${|} StrCpy $0 "" ${|}
    System::Call 'advapi32::RegCloseKey(p r1)'
  ${EndIf}
  Pop $2
  Pop $1
FunctionEnd

; /KEY=<key>: the program's silent key set-up, run as the installing user.
; The program ends with 0 whatever the service said; the verdict is whether
; the key is now the stored one, and was stored by this set-up: the same key
; stored before, and refused now, is a refusal.
Section "-Key" SecKey
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/KEY=" $1
  ${If} ${Errors}
    Return
  ${EndIf}
  Call SettingsWriteTime
  StrCpy $5 $0
  nsExec::ExecToStack '"$INSTDIR\KestridUI.exe" /KEY=$1'
  Pop $2
  Pop $3
  ReadRegStr $4 HKCU "${SETTINGS_KEY}\Settings" "USERNAME"
  Call SettingsWriteTime
  ; Keys differ in case: the comparison must too.
  ${If} $2 == "0"
  ${AndIf} $1 != ""
  ${AndIf} $4 S== $1
  ${AndIf} $0 != $5
    !insertmacro Log "Key set-up: the key was accepted and stored."
  ${Else}
    ${If} $1 == ""
      StrCpy $3 "no key was given"
    ${ElseIf} $2 != "0"
      StrCpy $3 "the program ended with $2 $3"
    ${EndIf}
    !insertmacro Log "Key set-up: the key was refused, nothing was stored: $3"
    SetErrorLevel 3
  ${EndIf}
SectionEnd

Function .onInstFailed
  Push "The setup stopped: a file could not be written, so the install is incomplete. Run the setup again."
  Call WriteLog
  SetErrorLevel 5
FunctionEnd

Function un.onInit
  !insertmacro UseNativeView
  SetShellVarContext all
FunctionEnd

Section "Uninstall"
  ; Wait like the installer: a running program keeps its files.
  Call un.WaitUntilFree
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "SendToEntry"
  ${If} $0 != ""
    Delete "$0"
  ${EndIf}
  SetShellVarContext current
  Delete "$SENDTO\Vantrel Fax.lnk"
  SetShellVarContext all
  Delete "$SMPROGRAMS\Vantrel key setup.lnk"

  ; The printer, its port and the monitor, in that order (each needs the
  ; next), then the monitor's files and its data folder.
  !insertmacro SpoolerEnvironment $6
  System::Call '*(p 0, p 0, i 0xF000C) p .r2'  ; PRINTER_ALL_ACCESS
  System::Call 'winspool.drv::OpenPrinterW(w "${PRINTER}", *p .r3, p r2) i .r0'
  ${If} $0 == 1
    System::Call 'winspool.drv::DeletePrinter(p r3)'
    System::Call 'winspool.drv::ClosePrinter(p r3)'
  ${EndIf}
  System::Free $2
  Push "DeletePort"
  Call un.XcvPort
  System::Call 'winspool.drv::DeleteMonitorW(p 0, w r6, w "${MONITOR}")'
  SetRegView 64
  DeleteRegKey HKLM "${MONITOR_KEY}"
  !insertmacro UseNativeView
  !if "${ARCH}" == "x86"
    ${DisableX64FSRedirection}
  !endif
  Delete /REBOOTOK "$SYSDIR\${MONITOR_DLL}"
  !if "${ARCH}" == "x86"
    ${EnableX64FSRedirection}
  !endif
  RMDir /r "$APPDATA\Vantrel"

  Delete "$INSTDIR\KestridUI.exe"
  Delete "$INSTDIR\Version.txt"
  Delete "$INSTDIR\install.log"
  RMDir /r "$INSTDIR\Xtra"
  ; The work folder holds a job only while the program runs.
  RMDir "$INSTDIR\Files"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"

  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/PURGE" $1
  ${IfNot} ${Errors}
    DeleteRegKey HKCU "${SETTINGS_KEY}"
  ${EndIf}
SectionEnd
