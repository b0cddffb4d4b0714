@echo off
rem Jumpdeck's end-to-end tests on this Windows. Double-click this file, or run
rem it from a console or a script: every test runs alone, one after another, and
rem the summary is shown and written to test-results.txt beside this file. The
rem exit code is 0 only when no test failed. No administrator rights are needed,
rem and a passed test leaves nothing behind. The full-disk test runs when
rem JUMPDECK_SMALL_DISK names a folder on a small volume (a USB stick or a VHD of
rem at most 1 GiB), which it fills for a moment.
setlocal
set "JUMPDECK_CMDLINE=%cmdcmdline%"
"%~dp0e2e_journeys.exe" --one-by-one
exit /b %errorlevel%
