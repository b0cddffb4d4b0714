@echo off
rem Jumpdeck's end-to-end tests on this Windows. Double-click this file, or run
rem it from a console or a script, and leave mouse and keyboard alone until it
rem ends (a minute or two): the tests type and click. Their report is shown at
rem the end and kept in test-results.txt beside this file, with the window's
rem picture in jumpdeck-window.bmp. The exit code is 0 only when no test
rem failed. No administrator rights are needed, and a passed test leaves
rem nothing behind. The full-disk test runs when JUMPDECK_SMALL_DISK names a
rem folder on a small volume (a USB stick or a VHD of at most 1 GiB), which it
rem fills for a moment.
setlocal
echo Jumpdeck's end-to-end tests are running; leave mouse and keyboard alone.
"%~dp0e2e_journeys.exe" --results > "%~dp0test-results.txt" 2>&1
set code=%errorlevel%
type "%~dp0test-results.txt"
rem Double-clicked, cmd runs this file by its full path in quotes, in a console
rem that closes when it ends: the report then waits for a key.
echo %cmdcmdline% | findstr /i /c:"\"%~f0\"" >nul && pause
exit /b %code%
