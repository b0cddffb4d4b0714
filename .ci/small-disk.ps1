# A volume small enough for the full-disk test to fill: a VHD of 64 MiB,
# formatted FAT32 (NTFS would keep the test's small files in its file table,
# which has room on a full disk), attached and given a free drive letter,
# which it names to the later steps in JUMPDECK_SMALL_DISK. Needs an
# administrator, as the hosted runners are. Windows may open the new, still
# unformatted partition to offer to format it; "override" dismounts it for
# the format all the same.
$ErrorActionPreference = 'Stop'
$vhd = Join-Path $env:RUNNER_TEMP 'jumpdeck-small.vhd'
$letter = [char[]]'TSRQPONMLKJ' | Where-Object { -not (Test-Path "${_}:\") } | Select-Object -First 1
$script = Join-Path $env:RUNNER_TEMP 'jumpdeck-small.txt'
@"
create vdisk file="$vhd" maximum=64 type=fixed
select vdisk file="$vhd"
attach vdisk
create partition primary
format fs=fat32 label=JDSMALL quick override
assign letter=$letter
"@ | Set-Content -Encoding ascii $script
diskpart /s $script
if ($LASTEXITCODE -ne 0 -or -not (Test-Path "${letter}:\")) { throw "diskpart could not make the volume ${letter}:" }
"JUMPDECK_SMALL_DISK=${letter}:" | Out-File -Append -Encoding utf8 $env:GITHUB_ENV
Write-Output "JUMPDECK_SMALL_DISK=${letter}:"
