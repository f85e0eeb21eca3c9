# The kit's detection and requirement scripts, run for real under pwsh -NoProfile on every row
# of the console program's folder-state table (tests/cli/FolderStatesTest.cpp), which leaves each
# row's folders and the exit code of `check auto` in $env:BRENWICK_FOLDER_STATES_KEEP. On every
# row, in full and in Constrained Language Mode: the detection script, given the row's kit's
# values as the kit build gives them (kit/FillDetect.cmake), detects exactly when check says
# installed (exit 0); the same script with its values left unfilled never detects; the
# requirement script writes 1, as check found a driver (exit 3 says none); each ends 0 and
# writes nothing to standard error.
#
# What differs between this PowerShell 7 and Windows PowerShell 5.1, where the scripts run on
# the PCs, and how the scripts keep to what 5.1 has:
# - Bytes: 5.1 reads them with Get-Content -Encoding Byte, 7 with -AsByteStream (it has no Byte
#   encoding); both with -Raw, which gives one byte array. The scripts ask $PSVersionTable.
# - Text in the system's code page: 5.1 says -Encoding Default, 7 -Encoding ansi (7's Default is
#   UTF-8). Only a slot key beyond ASCII needs it.
# - $IsWindows exists in 7 alone (under Set-StrictMode an unknown variable throws); the scripts
#   take 5.1 for Windows and ask $env:OS in 7.
# - Owner and write access: here (Unix) PowerShell 7 shows them as the file item's User and
#   UnixMode; on Windows both versions have Get-Acl, whose Sddl names accounts by SID in every
#   language and needs no .NET call. The SDDL path runs only on Windows.
# - Links: LinkType says HardLink, SymbolicLink or Junction in both; 7 on Unix also names pipes
#   and devices in UnixMode.
# - A script file without a byte order mark is read by 5.1 in the system's code page and by 7
#   as UTF-8: the scripts are ASCII, and the kit build refuses kit file names beyond ASCII.
# - Constrained Language Mode: 5.1 is put in it by WDAC or AppLocker, for unsigned scripts; here
#   the session is set to it. Only cmdlets and core types are then usable: no [System.IO.File],
#   [System.Text.Encoding] or [DateTimeOffset] call, so the scripts use Get-Item, Get-Content,
#   Get-FileHash, Get-Acl, whoami.exe and file times in ticks.
# - Get-FileHash is a function of a module in 5.1 and a compiled cmdlet in 7; both write capitals.

BeforeDiscovery {
    $keep = $env:BRENWICK_FOLDER_STATES_KEEP
    $rows = @(Get-ChildItem -LiteralPath $keep -Directory | Sort-Object { [int]$_.Name } | ForEach-Object {
            $fields = @{}
            foreach ($line in Get-Content -LiteralPath (Join-Path $_.FullName 'row.txt')) {
                $at = $line.IndexOf('=')
                $fields[$line.Substring(0, $at)] = $line.Substring($at + 1)
            }
            $fields.Folder = $_.FullName
            $fields
        })
    $cases = foreach ($row in $rows) {
        @{ Row = $row; Name = $row.name }
    }
}

BeforeAll {
    $kitSources = Join-Path $PSScriptRoot '..' '..' 'kit'
    # The running process is the .NET host of the tool: the tool's own command starts pwsh.
    $pwsh = $env:BRENWICK_PWSH

    # Runs the scripts one after another in one new pwsh, with the row's folders as the PC's,
    # in full language and then again in Constrained Language Mode (which cannot be left):
    # each run's standard output and exit code, and the whole process's standard error.
    function Invoke-Scripts([hashtable]$Row, [string[]]$Scripts) {
        $command = ''
        foreach ($mode in 'FullLanguage', 'ConstrainedLanguage') {
            $command += "`$ExecutionContext.SessionState.LanguageMode = '$mode'; "
            foreach ($script in $Scripts) {
                $command += "& '$script'; 'exit ' + `$LASTEXITCODE; '----'; "
            }
        }
        $start = [System.Diagnostics.ProcessStartInfo]::new($pwsh)
        foreach ($argument in '-NoProfile', '-NonInteractive', '-Command', $command) {
            $start.ArgumentList.Add($argument)
        }
        $start.RedirectStandardOutput = $true
        $start.RedirectStandardError = $true
        $tree = Join-Path $Row.Folder 'tree'
        $start.Environment['ProgramData'] = Join-Path $tree 'ProgramData'
        $start.Environment['windir'] = Join-Path $tree 'Windows'
        $process = [System.Diagnostics.Process]::Start($start)
        $errors = $process.StandardError.ReadToEndAsync()
        $output = $process.StandardOutput.ReadToEnd()
        $process.WaitForExit()
        $runs = foreach ($part in ($output -split "----\r?\n" | Select-Object -First (2 * $Scripts.Count))) {
            $lines = @($part -split '\r?\n' | Where-Object { $_ -ne '' })
            @{ Output = @($lines | Select-Object -SkipLast 1); Exit = $lines[-1] }
        }
        return @{ Runs = @($runs); Errors = $errors.Result; ExitCode = $process.ExitCode }
    }
}

Describe 'The kit scripts agree with check on the folder state' {
    It '<Name>' -ForEach $cases {
        $filled = Join-Path $Row.Folder 'Detect-Brenwick.ps1'
        $fill = & cmake "-DKIT_DIR=$(Join-Path $Row.Folder 'tree' $Row.kit)" "-DKIT_TIME=$($Row.kitTime)" `
            "-DDETECT_IN=$(Join-Path $kitSources 'Detect-Brenwick.ps1')" "-DDETECT_OUT=$filled" `
            -P (Join-Path $kitSources 'FillDetect.cmake') 2>&1
        $LASTEXITCODE | Should -Be 0 -Because "$fill"
        $scripts = $filled, (Join-Path $kitSources 'Detect-Brenwick.ps1'), (Join-Path $kitSources 'Require-Brenwick.ps1')
        $result = Invoke-Scripts $Row $scripts
        $result.Errors | Should -BeNullOrEmpty
        $result.ExitCode | Should -Be 0
        $result.Runs.Count | Should -Be 6
        foreach ($run in $result.Runs) {
            $run.Exit | Should -Be 'exit 0'
        }
        $installed = $Row.check -eq '0'
        foreach ($mode in 0, 1) {
            $because = "check auto ended $($Row.check) (in $(('full language', 'Constrained Language Mode')[$mode]))"
            $runs = $result.Runs[(3 * $mode)..(3 * $mode + 2)]
            ($runs[0].Output.Count -gt 0) | Should -Be $installed -Because $because
            $runs[1].Output | Should -BeNullOrEmpty -Because "unfilled values never detect; $because"
            $runs[2].Output | Should -Be @($(if ($Row.check -eq '3') { '0' } else { '1' })) -Because $because
        }
    }
}

# The rule sets of Windows, which this machine cannot put on a file: the detection script's own
# functions, given each rule set as Get-Acl would show it, judge owner and writers as the
# programs do (the programs' table: tests/platform/PlatformTest.cpp, judged on the rules alone).
Describe 'The detection script reads Windows rule sets as the programs do' {
    BeforeAll {
        $path = Join-Path $PSScriptRoot '..' '..' 'kit' 'Detect-Brenwick.ps1'
        $ast = [System.Management.Automation.Language.Parser]::ParseFile($path, [ref]$null, [ref]$null)
        $definitions = $ast.FindAll({ $args[0] -is [System.Management.Automation.Language.FunctionDefinitionAst] }, $false)
        foreach ($definition in $definitions) {
            . ([scriptblock]::Create($definition.Extent.Text))
        }
        function Get-Sddl($Entry) { return $Entry.Sddl }
        $OnWindows = $true
        $RunningAccount = 'S-1-5-21-7-8-9-500'  # the built-in Administrator, LA in SDDL
    }
    It '<Sddl>' -ForEach @(
        @{ Sddl = 'O:BAG:SYD:PAI(A;;FA;;;SY)(A;;FA;;;BA)(A;;0x1200a9;;;BU)'; Folder = $false; File = $false; Owned = $true }
        @{ Sddl = 'O:SYD:P(A;;FA;;;BA)(A;;0x1200a9;;;WD)'; Folder = $false; File = $false; Owned = $true }
        @{ Sddl = 'O:S-1-5-21-7-8-9-500D:P(A;;FA;;;S-1-5-21-7-8-9-500)'; Folder = $false; File = $false; Owned = $true }
        @{ Sddl = 'O:S-1-5-21-1-2-3-1001D:P(A;;FA;;;BA)'; Folder = $false; File = $false; Owned = $false }
        @{ Sddl = 'O:BAD:P(A;;FA;;;BA)(A;;FA;;;WD)'; Folder = $true; File = $true; Owned = $true }
        @{ Sddl = 'D:P(D;;0xd0156;;;WD)(A;;FA;;;BA)(A;;FA;;;BU)'; Folder = $false; File = $false; Owned = $false }
        @{ Sddl = 'D:P(D;;0xd0156;;;BU)(A;;FA;;;BA)(A;;FA;;;WD)'; Folder = $true; File = $true; Owned = $false }
        @{ Sddl = 'D:P(A;;FA;;;BA)(A;;FA;;;WD)(D;;0xd0156;;;WD)'; Folder = $true; File = $true; Owned = $false }
        @{ Sddl = 'O:BAG:BA'; Folder = $true; File = $true; Owned = $true }
        @{ Sddl = 'O:BAD:NO_ACCESS_CONTROL'; Folder = $true; File = $true; Owned = $true }
        @{ Sddl = 'D:P(A;;FA;;;S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464)'; Folder = $false; File = $false; Owned = $false }
        @{ Sddl = 'D:P(A;;0x2;;;S-1-5-21-1-2-3-1001)'; Folder = $true; File = $true; Owned = $false }
        @{ Sddl = 'D:P(A;;0x100;;;LO)'; Folder = $true; File = $true; Owned = $false }
        @{ Sddl = 'D:P(A;;0x10;;;S-1-2-1)'; Folder = $true; File = $true; Owned = $false }
        @{ Sddl = 'D:P(A;;0x40;;;RD)'; Folder = $true; File = $false; Owned = $false }
        @{ Sddl = 'D:P(A;;GW;;;S-1-5-21-1-2-3-2001)'; Folder = $true; File = $true; Owned = $false }
        @{ Sddl = 'D:P(A;;CCLCSWRPWPDTLOCRRC;;;BU)'; Folder = $true; File = $true; Owned = $false }
        @{ Sddl = 'D:P(A;;0x80000;;;IU)'; Folder = $true; File = $true; Owned = $false }
        @{ Sddl = 'D:P(A;;KW;;;BU)'; Folder = $true; File = $true; Owned = $false }
        @{ Sddl = 'O:LAD:P(A;;FA;;;LA)'; Folder = $false; File = $false; Owned = $true }
        @{ Sddl = 'D:P(A;OICIIO;GA;;;CO)'; Folder = $false; File = $false; Owned = $false }
        @{ Sddl = 'D:P(D;;FA;;;WD)(A;;FA;;;AU)'; Folder = $false; File = $false; Owned = $false }
        @{ Sddl = 'D:P(D;;FA;;;BU)(A;;FA;;;AU)'; Folder = $true; File = $true; Owned = $false }
        @{ Sddl = 'D:P(D;;0xd0046;;;WD)(A;;FA;;;AU)'; Folder = $true; File = $true; Owned = $false }
        @{ Sddl = 'D:P(OA;;0x2;00000000-0000-0000-0000-000000000001;;WD)'; Folder = $true; File = $true; Owned = $false }
        @{ Sddl = 'D:P(XA;;0x2;;;WD;(Member_of {SID(BA)}))(A;;FA;;;BA)'; Folder = $true; File = $true; Owned = $false }
        @{ Sddl = 'D:P(XA;;FR;;;WD;(Member_of {SID(BA)}))(A;;FA;;;BA)'; Folder = $false; File = $false; Owned = $false }
    ) {
        Test-OthersMayWrite ([pscustomobject]@{ Sddl = $Sddl; PSIsContainer = $true }) | Should -Be $Folder
        Test-OthersMayWrite ([pscustomobject]@{ Sddl = $Sddl; PSIsContainer = $false }) | Should -Be $File
        Test-TrustedOwner ([pscustomobject]@{ Sddl = $Sddl }) | Should -Be $Owned
    }
    It 'a rule set that cannot be read' {
        Test-OthersMayWrite ([pscustomobject]@{ Sddl = $null; PSIsContainer = $false }) | Should -BeTrue
        Test-TrustedOwner ([pscustomobject]@{ Sddl = $null }) | Should -BeFalse
    }
}
