@echo off
rem The registration job as an administrator scripts it: register every
rem server below the folder %1, then look up each one's class identifier
rem and have DComPerm launch it as the interactive user.
for /r "%~1" %%f in (*.exe) do start "" /wait "%%f" /REGSERVER
for /r "%~1" %%f in (*.exe) do (
  for /f "tokens=3" %%g in ('reg query "HKLM\SOFTWARE\Classes\%%~nf.%%~nfDMR\CLSID" /ve ^| find "REG_SZ"') do DComPerm -runas %%g "Interactive User"
)
