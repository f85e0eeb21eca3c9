# Brenwick requirement script, for Intune (Win32 app, requirement script) and Configuration
# Manager (a global condition of type Script). Windows PowerShell 5.1; it needs nothing of the
# kit.
#
# Writes 1 when a scanner driver settings folder is on this PC, any one of the three the
# programs look for, else 0; exit code 0 either way. Intune joins its requirement rules with
# AND, so three file rules, one a folder, would ask for all three: use this script instead,
# with output data type Integer, operator Equals, value 1.

Set-StrictMode -Version 2.0
$ErrorActionPreference = 'Stop'

# Whether the folders $Names make beneath $Base are all real folders: the programs take a link
# or junction on the way for no folder.
function Test-RealFolder([string]$Base, [string[]]$Names) {
    if ([string]::IsNullOrEmpty($Base) -or -not [System.IO.Directory]::Exists($Base)) {
        return $false
    }
    $path = $Base
    foreach ($name in $Names) {
        $path = [System.IO.Path]::Combine($path, $name)
        if (-not [System.IO.Directory]::Exists($path)) {
            return $false
        }
        if (([System.IO.File]::GetAttributes($path) -band [System.IO.FileAttributes]::ReparsePoint) -ne 0) {
            return $false
        }
    }
    return $true
}

$found = 0
try {
    $appData = [System.Environment]::GetFolderPath('CommonApplicationData')
    if ((Test-RealFolder $appData @('Fujitsu', 'iCube', 'FTS')) -or
        (Test-RealFolder $appData @('Fujitsu', 'Fjtwain', 'FTS')) -or
        (Test-RealFolder $env:windir @('twain_32', 'fjscan32'))) {
        $found = 1
    }
} catch {
    $found = 0
}
Write-Output $found
exit 0
