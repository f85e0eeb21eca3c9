# Brenwick requirement script, for Intune (Win32 app, requirement script) and Configuration
# Manager (a global condition of type Script). Windows PowerShell 5.1 or PowerShell 7, in full
# or in Constrained Language Mode (as under WDAC or AppLocker); it needs nothing of the kit.
#
# Writes 1 when a scanner driver settings folder is on this PC, any one of the three the
# programs look for, else 0; exit code 0 either way. Intune joins its requirement rules with
# AND, so three file rules, one a folder, would ask for all three: use this script instead,
# with output data type Integer, operator Equals, value 1.

Set-StrictMode -Version 2.0
$ErrorActionPreference = 'Stop'

# Whether the folders $Names make beneath $Base are all real folders: the programs take a link
# or junction on the way for no folder. Cmdlets and core types only, for Constrained Language
# Mode.
function Test-RealFolder([string]$Base, [string[]]$Names) {
    if ([string]::IsNullOrEmpty($Base)) {
        return $false
    }
    $path = $Base
    foreach ($name in @('') + $Names) {
        if ($name.Length -gt 0) {
            $path = Join-Path $path $name
        }
        try {
            $entry = Get-Item -LiteralPath $path -Force
        } catch {
            return $false
        }
        if (-not $entry.PSIsContainer -or ([int]$entry.Attributes -band 0x400) -ne 0) {
            return $false
        }
    }
    return $true
}

$found = 0
try {
    $appData = $env:ProgramData
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
