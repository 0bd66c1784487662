; The desk's Windows installer. scripts/windows-installer.sh gives VERSION,
; OUTFILE and FILES (the folder of install-files.nsh and uninstall-files.nsh,
; which list the program's files).
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Velunas"

Name "Velunas ${VERSION}"
Icon "velunas.ico"
UninstallIcon "velunas.ico"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Velunas"
ShowInstDetails show
ShowUninstDetails show

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; The desk's common application-data folders and files, each made only when
; absent, so a reinstall keeps what a site has there.
Function SharedFolders
    CreateDirectory "$APPDATA\ZEFA Software"
    CreateDirectory "$APPDATA\Velunas\data"
    IfFileExists "$APPDATA\ZEFA Software\RegShadow.db" +3
    FileOpen $0 "$APPDATA\ZEFA Software\RegShadow.db" w
    FileClose $0
    IfFileExists "$APPDATA\Velunas\errors.log" +3
    FileOpen $0 "$APPDATA\Velunas\errors.log" w
    FileClose $0
    ; Every user of the computer (Users, S-1-5-32-545) may change what is there.
    nsExec::ExecToLog '"$SYSDIR\icacls.exe" "$APPDATA\ZEFA Software" /grant *S-1-5-32-545:(OI)(CI)M /T'
    Pop $0
    nsExec::ExecToLog '"$SYSDIR\icacls.exe" "$APPDATA\Velunas" /grant *S-1-5-32-545:(OI)(CI)M /T'
    Pop $0
FunctionEnd

Section "Velunas"
    SetRegView 64
    SetShellVarContext all
    !include "${FILES}/install-files.nsh"
    Call SharedFolders
    ; The registers with no members, and the delivery table, where missing.
    nsExec::ExecToLog '"$INSTDIR\import_members.exe" --create-schema "$APPDATA\Velunas\data"'
    Pop $0
    StrCmp $0 0 +2
    Abort "As bases de dados não foram criadas."
    ; The password key, sealed by DPAPI for this computer; an existing key stays.
    nsExec::ExecToLog '"$INSTDIR\encipher_password.exe" --create-key'
    Pop $0
    StrCmp $0 0 +2
    Abort "A chave das palavras-passe não foi criada."
    ; The entry starts the desk in its own folder (the last folder written to
    ; is the shortcut's working folder).
    SetOutPath "$INSTDIR"
    CreateShortCut "$SMPROGRAMS\Velunas.lnk" "$INSTDIR\Velunas.exe"
    WriteUninstaller "$INSTDIR\Uninstall.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Velunas"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Only the program goes: deliveries, registers, settings, log and key stay in
; the common application-data folder and the registry.
Section "Uninstall"
    SetRegView 64
    SetShellVarContext all
    Delete "$SMPROGRAMS\Velunas.lnk"
    !include "${FILES}/uninstall-files.nsh"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
