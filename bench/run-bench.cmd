@echo off
rem Jumpdeck's benchmark on this Windows: measures Jumpdeck.exe, beside this
rem file, against the floor programs in bench\ and prints the machine and the
rem table (about 5 minutes; options such as --runs 5 go to the driver). It
rem works in %TEMP%\jdbench, which it makes anew, and presses the Q key: leave
rem mouse and keyboard alone meanwhile. The exit code is 0 when it measured.
setlocal
set "bench=%~dp0bench"
"%bench%\bench.exe" "%TEMP%\jdbench" "%~dp0Jumpdeck.exe" "%bench%\floor-deck.exe" "%bench%\floor-window.exe" "%bench%\floor-hotkey.exe" "%bench%\marker.exe" %*
exit /b %errorlevel%
