# Brenwick detection script, for Intune (Win32 app, custom detection script) and Configuration
# Manager (script detection method). Windows PowerShell 5.1 or PowerShell 7, in full or in
# Constrained Language Mode (as under WDAC or AppLocker); it needs nothing of the kit.
#
# Detected (exit code 0 and one line on standard output) when every scanner driver whose
# settings folder is on this PC has this kit's passbook settings, as "BrenwickCli check auto"
# would find; otherwise exit code 0 and no output. It reads the driver's files as the programs
# read them, changes nothing and writes nothing else: any output would read as detected.

# ---- This kit's values -----------------------------------------------------------------------
# The kit build fills them in from the kit's own files. After you add, replace or remove files
# in PSIP\ and Twain\, build the kit again (or write the lines by hand: for each file its
# (Get-FileHash -LiteralPath PSIP\FTS_EX_BKBOOK.xml).Hash, two blanks, PSIP/FTS_EX_BKBOOK.xml).
# Values not filled in are never detected.
# The time the kit build gives every kit file, in seconds since 1970-01-01 00:00 UTC:
$KitTime = '@KIT_TIME@'
# Each file of the kit's PSIP and Twain folders: its SHA-256 ('-' for one the build could not
# read), two blanks, and its path in the kit.
$KitFiles = @'
@KIT_FILES@
'@
# ------------------------------------------------------------------------------------------------

Set-StrictMode -Version 2.0
$ErrorActionPreference = 'Stop'

# The programs' limits: a larger list file or Id.bin is not read; a larger profile is not the
# kit's.
$ListLimit = 64MB
$FlagLimit = 64KB
$KitFileLimit = 64MB

# List files are handled one character per byte, so that the rules below see the bytes the
# programs see and no byte that a code page 932 decoder would pair up or replace is lost. The
# profile name PaperStream IP lists: code page 932 bytes 92 CA 92 A0 83 7D 83 8B 83 60.
$PsipName = -join [char[]](0x92, 0xCA, 0x92, 0xA0, 0x83, 0x7D, 0x83, 0x8B, 0x83, 0x60)
$PsipShipped = 'FTS_EX_BKBOOK.xml'
$TwainTemplate = 'bkbook_multi.fts'
# The white space the programs trim, and no other.
$Blanks = [char[]](0x20, 0x09, 0x0A, 0x0B, 0x0C, 0x0D)
$OnWindows = $PSVersionTable.PSVersion.Major -lt 6 -or $env:OS -eq 'Windows_NT'

# ---- Files, as the programs open them ----------------------------------------------------------

# What stands at the path, not following a link; null when nothing does.
function Get-Entry([string]$Path) {
    try { return Get-Item -LiteralPath $Path -Force } catch { return $null }
}

# A regular file with one link: no folder, link, junction, hard link, pipe or device. The
# programs read and count only such files.
function Test-PlainFile($Entry) {
    if ($null -eq $Entry -or $Entry.PSIsContainer) { return $false }
    if (([int]$Entry.Attributes -band 0x400) -ne 0) { return $false }
    # Windows PowerShell 5.1 throws here for a file another program holds for writing: the
    # script then says not detected, and the deployment system asks again later.
    if ($Entry.LinkType) { return $false }
    return $OnWindows -or $Entry.UnixMode.StartsWith('-')
}

# A real folder, not a link or junction.
function Test-PlainFolder($Entry) {
    return $null -ne $Entry -and $Entry.PSIsContainer -and
        ([int]$Entry.Attributes -band 0x400) -eq 0
}

# The bytes of a plain file of at most $Limit bytes; null otherwise or when it cannot be read
# (held by another program, access denied).
function Read-Bytes([string]$Path, [long]$Limit) {
    $entry = Get-Entry $Path
    if (-not (Test-PlainFile $entry) -or $entry.Length -gt $Limit) { return $null }
    if ($entry.Length -eq 0) {
        $empty = [byte[]]@()
        return ,$empty
    }
    try {
        if ($PSVersionTable.PSVersion.Major -lt 6) {
            $bytes = Get-Content -LiteralPath $Path -Encoding Byte -Raw
        } else {
            $bytes = Get-Content -LiteralPath $Path -AsByteStream -Raw
        }
    } catch {
        return $null
    }
    # The comma keeps PowerShell from handing the bytes on one by one.
    $read = [byte[]]$bytes
    return ,$read
}

# Whether the plain file holds the bytes whose SHA-256 is $Sha256.
function Test-KitBytes([string]$Path, [string]$Sha256) {
    $entry = Get-Entry $Path
    if (-not (Test-PlainFile $entry) -or $entry.Length -gt $KitFileLimit -or $Sha256 -eq '-') {
        return $false
    }
    try {
        return (Get-FileHash -LiteralPath $Path -Algorithm SHA256).Hash -eq $Sha256
    } catch {
        return $false
    }
}

# The last-write time in whole seconds since 1970, as the programs compare times.
function Get-WriteSecond($Entry) {
    $ticks = $Entry.LastWriteTimeUtc.Ticks - 621355968000000000
    return ($ticks - $ticks % 10000000) / 10000000
}

# Whether a program file's version resource stands in the file: a newer file is kept only
# without one. (PowerShell reads it on Windows; elsewhere .NET sees it in assemblies alone.)
function Test-VersionResource($Entry) {
    try {
        $version = $Entry.VersionInfo
        return $null -ne $version -and ($version.FileVersion -or $version.ProductVersion -or
            $version.FileMajorPart -or $version.FileMinorPart -or $version.FileBuildPart -or
            $version.FilePrivatePart)
    } catch {
        return $false
    }
}

# ---- Owners and write access ---------------------------------------------------------------------

# This account's SID (Windows) or user name (elsewhere), as the owner of a file shows it.
function Get-RunningAccount {
    try {
        if ($OnWindows) {
            $line = (whoami.exe /user /fo csv /nh 2>$null | Select-Object -Last 1)
            return ($line -split '","')[-1].Trim('"')
        }
        return (id -un 2>$null)
    } catch {
        return $null
    }
}
$RunningAccount = Get-RunningAccount

# Windows: the owner and rules of the file's security descriptor, in its SDDL text, which needs
# no .NET call and names accounts by SID in every language.
function Get-Sddl($Entry) {
    try { return (Get-Acl -LiteralPath $Entry.FullName).Sddl } catch { return $null }
}

# An administrator, the system, TrustedInstaller or this account, by SDDL's name or SID.
function Test-TrustedAccount([string]$Sid) {
    return $Sid -ceq 'BA' -or $Sid -ceq 'SY' -or $Sid -ceq 'S-1-5-32-544' -or $Sid -ceq 'S-1-5-18' -or
        $Sid -ceq $RunningAccount -or
        ($Sid -ceq 'LA' -and $RunningAccount -cmatch '\AS-1-5-21-[0-9-]+-500\z') -or
        $Sid -ceq 'S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464'
}

# Whether a trusted account owns the file: no other user can have put a file of theirs there.
function Test-TrustedOwner($Entry) {
    if (-not $OnWindows) { return $Entry.User -ceq 'root' -or $Entry.User -ceq $RunningAccount }
    $sddl = Get-Sddl $Entry
    return $null -ne $sddl -and $sddl -cmatch '\AO:([^:]+?)(G:|D:|S:|\z)' -and (Test-TrustedAccount $Matches[1])
}

# The file rights an SDDL rule gives (hexadecimal, or two-letter rights one after another),
# its generic rights mapped as the system maps them for files.
function Get-FileRights([string]$Rights) {
    [long]$mask = 0
    if ($Rights -cmatch '\A0x[0-9A-Fa-f]+\z') {
        $mask = [long]$Rights
    } else {
        $letters = @{ GA = 0x10000000; GR = 0x80000000; GW = 0x40000000; GX = 0x20000000
            FA = 0x1F01FF; FR = 0x120089; FW = 0x120116; FX = 0x1200A0; SD = 0x10000; RC = 0x20000
            WD = 0x40000; WO = 0x80000; KA = 0xF003F; KR = 0x20019; KW = 0x20006; KX = 0x20019
            CC = 0x1; DC = 0x2; LC = 0x4; SW = 0x8; RP = 0x10; WP = 0x20
            DT = 0x40; LO = 0x80; CR = 0x100 }
        for ($at = 0; $at + 1 -lt $Rights.Length; $at += 2) {
            $code = $Rights.Substring($at, 2)
            if ($letters.ContainsKey($code)) { $mask = $mask -bor [long]$letters[$code] }
        }
    }
    if (($mask -band 0x10000000) -ne 0) { $mask = $mask -bor 0x1F01FF }
    if (($mask -band 0x40000000) -ne 0) { $mask = $mask -bor 0x120116 }
    return $mask
}

# The rules of an SDDL rule list, each the text between its outer parentheses (a callback
# rule's condition has parentheses of its own).
function Get-Rules([string]$Rules) {
    $found = @()
    $depth = 0
    $start = 0
    for ($at = 0; $at -lt $Rules.Length; $at++) {
        if ($Rules[$at] -ceq '(') {
            if ($depth -eq 0) { $start = $at + 1 }
            $depth++
        } elseif ($Rules[$at] -ceq ')' -and $depth -gt 0) {
            $depth--
            if ($depth -eq 0) { $found += , $Rules.Substring($start, $at - $start) }
        }
    }
    return ,$found
}

# Whether accounts other than the trusted ones may write the file (POSIX: group or other
# write). On Windows the rules are walked in order, as the system does: a rule that allows
# another account (callback rules included) a right to write, append, write attributes or
# extended attributes, delete, change the rules or take ownership (and a folder's delete-child)
# counts for what no earlier denying rule for the same account, or for Everyone, has taken
# away. No rules, or rules that cannot be read, let anyone write.
function Test-OthersMayWrite($Entry) {
    if (-not $OnWindows) {
        $mode = $Entry.UnixMode
        return $mode.Length -lt 10 -or $mode[5] -ceq 'w' -or $mode[8] -ceq 'w'
    }
    $sddl = Get-Sddl $Entry
    if ($null -eq $sddl -or -not $sddl.Contains('D:') -or $sddl.Contains('NO_ACCESS_CONTROL')) {
        return $true
    }
    $dacl = ($sddl -creplace '\A.*?D:', '') -creplace 'S:.*\z', ''
    $writing = 0x2 -bor 0x4 -bor 0x10 -bor 0x100 -bor 0x10000 -bor 0x40000 -bor 0x80000
    if ($Entry.PSIsContainer) { $writing = $writing -bor 0x40 }
    $denials = @()
    [long]$allowed = 0
    foreach ($rule in (Get-Rules $dacl)) {
        $fields = $rule.Split(';')
        if ($fields.Length -lt 6) { return $true }
        $mask = Get-FileRights $fields[2]
        if ($fields[1].Contains('IO')) {
            continue
        } elseif ($fields[0] -ceq 'D') {
            $denials += , @($fields[5], $mask)
        } elseif (@('A', 'XA', 'OA', 'ZA') -ccontains $fields[0] -and -not (Test-TrustedAccount $fields[5])) {
            [long]$denied = 0
            foreach ($denial in $denials) {
                if ($denial[0] -ceq $fields[5] -or $denial[0] -ceq 'WD' -or $denial[0] -ceq 'S-1-1-0') {
                    $denied = $denied -bor $denial[1]
                }
            }
            $allowed = $allowed -bor ($mask -band $writing -band -bnot $denied)
        }
    }
    return $allowed -ne 0
}

# A copy counts as installed only when trusted accounts own it and others may not write it.
function Test-HeldByTrusted($Entry) {
    return (Test-TrustedOwner $Entry) -and -not (Test-OthersMayWrite $Entry)
}

# ---- List files ------------------------------------------------------------------------------------

# The length (1 or 2) of the character at $At: a lead byte followed by a valid trail byte is one
# double-byte character, whose trail byte may have the value of '[', ']', '|' or '~'.
function Get-CharLength([string]$Text, [int]$At) {
    $lead = [int]$Text[$At]
    if ($At + 1 -lt $Text.Length -and (($lead -ge 0x81 -and $lead -le 0x9F) -or ($lead -ge 0xE0 -and $lead -le 0xFC))) {
        $trail = [int]$Text[$At + 1]
        if (($trail -ge 0x40 -and $trail -le 0x7E) -or ($trail -ge 0x80 -and $trail -le 0xFC)) {
            return 2
        }
    }
    return 1
}

# Where the single-byte character $Code stands in $Text, never taking a trail byte for it;
# -1 when it does not.
function Find-Char([string]$Text, [int]$Code) {
    $candidate = $Text.IndexOf([char]$Code)
    if ($candidate -lt 0 -or $Text.Substring(0, $candidate) -cnotmatch '[\x81-\xFF]') {
        return $candidate
    }
    $at = 0
    while ($at -lt $Text.Length) {
        if ([int]$Text[$at] -eq $Code) { return $at }
        $at += (Get-CharLength $Text $at)
    }
    return -1
}

# The text with the ASCII letters of its single-byte characters lowered: the programs compare
# names ignoring the case of those letters, and of no other.
function Get-Folded([string]$Text) {
    $chars = $Text.ToCharArray()
    $at = 0
    while ($at -lt $chars.Length) {
        $length = Get-CharLength $Text $at
        $code = [int]$chars[$at]
        if ($length -eq 1 -and $code -ge 0x41 -and $code -le 0x5A) {
            $chars[$at] = [char]($code + 0x20)
        }
        $at += $length
    }
    return -join $chars
}

# The lines of a list file: they end at LF, a CR right before it goes with it (any other CR is
# text), and a UTF-8 byte order mark at the start is no part of the first line.
function Get-ListLines([byte[]]$Bytes) {
    $start = 0
    if ($Bytes.Length -ge 3 -and $Bytes[0] -eq 0xEF -and $Bytes[1] -eq 0xBB -and $Bytes[2] -eq 0xBF) {
        $start = 3
    }
    $text = ''
    if ($Bytes.Length -gt $start) { $text = (-join [char[]]$Bytes).Substring($start) }
    $lines = $text.Split([char]0x0A)
    for ($number = 0; $number -lt $lines.Length - 1; $number++) {
        $line = $lines[$number]
        if ($line.Length -gt 0 -and [int]$line[$line.Length - 1] -eq 0x0D) {
            $lines[$number] = $line.Substring(0, $line.Length - 1)
        }
    }
    return ,$lines
}

# A line whose trimmed text starts with ';' is a comment: no header, no entry.
function Test-Comment([string]$Text) {
    return $Text.StartsWith(';')
}

# A line whose trimmed text holds both '[' and ']' heads a section, named by that whole text.
function Test-Header([string]$Text) {
    return $Text.IndexOf([char]0x5B) -ge 0 -and $Text.IndexOf([char]0x5D) -ge 0 -and
        (Find-Char $Text 0x5B) -ge 0 -and (Find-Char $Text 0x5D) -ge 0
}

# An entry's key: the text of the trimmed line left of its first '='. Blanks before the '='
# stay part of it, as the programs keep them (and name the slot's profile with them).
function Get-EntryKey([string]$Text, [int]$Equals) {
    return $Text.Substring(0, $Equals)
}

# The entry of $Section whose value is $Name, first in the file: its key and line number; null
# when there is none. Any other line holding '=' is an entry, its value the text right of the
# first '=', trimmed. Entries above the first header belong to every section; below it, to
# the section of the last header, compared exactly.
function Find-Entry([string[]]$Lines, [string]$Section, [string]$Name) {
    $header = ''
    $wanted = Get-Folded $Name
    for ($number = 0; $number -lt $Lines.Length; $number++) {
        $text = $Lines[$number].Trim($Blanks)
        if (Test-Comment $text) { continue }
        if (Test-Header $text) {
            $header = $text
            continue
        }
        $equals = $text.IndexOf([char]0x3D)
        if ($equals -lt 0 -or ($header.Length -gt 0 -and $header -cne $Section)) { continue }
        $value = $text.Substring($equals + 1).Trim($Blanks)
        if ($value.Length -eq $Name.Length -and (Get-Folded $value) -ceq $wanted) {
            return @{ Key = Get-EntryKey $text $equals; Line = $number }
        }
    }
    return $null
}

# The entry of the list file at $Path, or null when the file cannot be read or lists none.
function Find-ListedEntry([string]$Path, [string]$Section, [string]$Name) {
    $bytes = Read-Bytes $Path $ListLimit
    if ($null -eq $bytes) { return $null }
    return Find-Entry (Get-ListLines $bytes) $Section $Name
}

# Whether a key names a profile file the programs would touch: not empty, no path, wildcard or
# control character, no '~' (a short name could stand for another file), not the shipped
# profile's own name, and not longer than the programs take.
function Test-SafeKey([string]$Key) {
    if ($Key.Length -eq 0 -or $Key.Length -gt 200) { return $false }
    foreach ($char in $Key.ToCharArray()) {
        $code = [int]$char
        if ($code -eq 0x5C -or $code -eq 0x2F -or $code -lt 0x20 -or $code -eq 0x7F) {
            return $false
        }
    }
    foreach ($code in 0x3A, 0x2A, 0x3F, 0x22, 0x3C, 0x3E, 0x7C, 0x7E) {
        if ((Find-Char $Key $code) -ge 0) { return $false }
    }
    return (Get-Folded $Key) -cne '_bkbook'
}

# The slot a key stands for by its number: decimal digits alone, leading zeros ignored, at
# most 999; "2", "02" and "000002" are one slot. -1 for any other key, which has no flag.
function Get-Slot([string]$Key) {
    $Key = $Key.Trim($Blanks)
    if ($Key -cnotmatch '\A[0-9]+\z') { return -1 }
    $digits = $Key.TrimStart([char]0x30)
    if ($digits.Length -gt 3) { return -1 }
    if ($digits.Length -eq 0) { return 0 }
    return [int]$digits
}

# The name of the slot's profile: "FTS_EX", the key, ".xml". A key of bytes beyond ASCII names
# the file in code page 932 on Windows (the bytes themselves elsewhere, which PowerShell reads
# as UTF-8): the list is read again so decoded, where LF still ends each line and '=' is never
# part of a double-byte character. Windows PowerShell 5.1 decodes only in the system's code
# page, and Get-Content decodes a file with a UTF-8 byte order mark as UTF-8 whatever it is
# told: null (not detected) when the name cannot be read so.
function Get-ProfileName([string]$ListPath, $Entry) {
    if ($Entry.Key -cnotmatch '[\x80-\xFF]') { return 'FTS_EX' + $Entry.Key + '.xml' }
    try {
        $bytes = Read-Bytes $ListPath $ListLimit
        if ($null -eq $bytes -or
            ($bytes.Length -ge 3 -and $bytes[0] -eq 0xEF -and $bytes[1] -eq 0xBB -and $bytes[2] -eq 0xBF)) {
            return $null
        }
        if ($PSVersionTable.PSVersion.Major -lt 6) {
            $codePage = 'HKLM:\SYSTEM\CurrentControlSet\Control\Nls\CodePage'
            if ((Get-ItemProperty -LiteralPath $codePage -Name ACP).ACP -cne '932') { return $null }
            $text = Get-Content -LiteralPath $ListPath -Encoding Default -Raw
        } elseif ($OnWindows) {
            $text = Get-Content -LiteralPath $ListPath -Encoding 932 -Raw
        } else {
            $text = Get-Content -LiteralPath $ListPath -Encoding utf8 -Raw
        }
        $line = $text.Split([char]0x0A)[$Entry.Line].Trim($Blanks)
        return 'FTS_EX' + $line.Substring(0, $line.IndexOf('=')) + '.xml'
    } catch {
        return $null
    }
}

# ---- The kit's files ------------------------------------------------------------------------------

# The files of one kit folder ("PSIP" or "Twain") as the build listed them: name and SHA-256.
function Get-KitFiles([string]$KitFolder) {
    $files = @()
    foreach ($line in $KitFiles.Split([char]0x0A)) {
        $line = $line.TrimEnd([char]0x0D)
        if ($line -cmatch '\A([0-9A-Fa-f]{64}|-)  ([^/]+)/(.+)\z' -and $Matches[2] -ceq $KitFolder) {
            $files += , @{ Name = $Matches[3]; Sha256 = $Matches[1] }
        }
    }
    return ,$files
}

# A kit file the programs refuse to copy: a '~' may make its name the short name of another
# file there; a name of the driver's own files would be copied over them.
function Test-UnsafeKitName([string]$KitFolder, [string]$Name) {
    if ((Find-Char $Name 0x7E) -ge 0) { return $true }
    $folded = Get-Folded $Name
    if ($KitFolder -ceq 'Twain') { return $folded -ceq 'ftslists.ini' }
    $slotProfile = $folded.Length -ge 10 -and $folded.StartsWith('fts_ex') -and $folded.EndsWith('.xml')
    return ($slotProfile -and $folded -cne 'fts_ex_bkbook.xml') -or $folded -ceq 'settinginfo.ini' -or
        $folded -ceq 'id.bin'
}

# Whether the file at $Path is the kit's copy: with the kit's bytes, whatever its time, or
# written here after the kit's time (the installation keeps such a file, unless it is a
# program file with a version resource); and owned and held as the installation leaves it.
function Test-KitCopy([string]$Path, [string]$Sha256, [long]$KitSecond) {
    $entry = Get-Entry $Path
    if (-not (Test-PlainFile $entry)) { return $false }
    $kept = (Test-KitBytes $Path $Sha256) -or
        ((Get-WriteSecond $entry) -gt $KitSecond -and -not (Test-VersionResource $entry))
    return $kept -and (Test-HeldByTrusted $entry)
}

# The profile set: every kit file but those placed otherwise is in the settings folder as the
# kit's copy. A kit that the programs refuse, or whose file the build could not read, is never
# installed.
function Test-ProfileSet([string]$Folder, [string]$KitFolder, [string]$PlacedElsewhere, [long]$KitSecond) {
    $files = Get-KitFiles $KitFolder
    foreach ($file in $files) {
        $skipped = (Get-Folded $file.Name) -ceq 'thumbs.db' -or (Get-Folded $file.Name) -ceq (Get-Folded $PlacedElsewhere)
        if (-not $skipped -and (Test-UnsafeKitName $KitFolder $file.Name)) { return $false }
    }
    foreach ($file in $files) {
        $skipped = (Get-Folded $file.Name) -ceq 'thumbs.db' -or (Get-Folded $file.Name) -ceq (Get-Folded $PlacedElsewhere)
        if (-not $skipped -and -not (Test-KitCopy (Join-Path $Folder $file.Name) $file.Sha256 $KitSecond)) {
            return $false
        }
    }
    return $true
}

# The SHA-256 of a kit file; null when the kit the script was built from had none.
function Get-KitSha256([string]$KitFolder, [string]$Name) {
    foreach ($file in (Get-KitFiles $KitFolder)) {
        if ((Get-Folded $file.Name) -ceq (Get-Folded $Name)) { return $file.Sha256 }
    }
    return $null
}

# ---- Settings folders ------------------------------------------------------------------------------

# The folder that $Names make beneath $Base when each of them is a real folder, as the programs
# enter them; null otherwise.
function Get-RealFolder([string]$Base, [string[]]$Names) {
    # The programs follow a link at the base folder (a ProgramData moved elsewhere), not below.
    if ([string]::IsNullOrEmpty($Base) -or -not (Test-Path -LiteralPath $Base -PathType Container)) {
        return $null
    }
    $path = $Base
    foreach ($name in $Names) {
        $path = Join-Path $path $name
        if (-not (Test-PlainFolder (Get-Entry $path))) { return $null }
    }
    return $path
}

# Whether every folder $Names make beneath $Base has a trusted owner: the programs prefer such
# a folder to one a user may have made.
function Test-TrustedChain([string]$Base, [string[]]$Names) {
    $path = $Base
    foreach ($name in $Names) {
        $path = Join-Path $path $name
        if (-not (Test-TrustedOwner (Get-Entry $path))) { return $false }
    }
    return $true
}

# How the programs rank a fi-series folder: no folder of its chain made by another user
# first, then a list that carries the template, then a list file standing there at all.
function Get-TwainRank([string]$Base, [string[]]$Names, [string]$Folder) {
    $list = Join-Path $Folder 'FTSLISTS.INI'
    $rank = 0
    if (Test-TrustedChain $Base $Names) { $rank += 4 }
    if ($null -ne (Find-ListedEntry $list '[TemplateLists]' $TwainTemplate)) { $rank += 2 }
    if ($null -ne (Get-Entry $list)) { $rank += 1 }
    return $rank
}

# The fi-series driver's folder the programs would take: the one of ProgramData or the Windows
# folder that stands alone, else the better ranked, ProgramData's on a tie.
function Find-TwainFolder([string]$AppData) {
    $firstNames = @('Fujitsu', 'Fjtwain', 'FTS')
    $fallbackNames = @('twain_32', 'fjscan32')
    $first = Get-RealFolder $AppData $firstNames
    $fallback = Get-RealFolder $env:windir $fallbackNames
    if ($null -eq $first -or ($null -ne $fallback -and
            (Get-TwainRank $env:windir $fallbackNames $fallback) -gt (Get-TwainRank $AppData $firstNames $first))) {
        return $fallback
    }
    return $first
}

# ---- The two drivers --------------------------------------------------------------------------------

# PaperStream IP: the profile set, the profile listed under a safe key, the slot's profile the
# kit's copy (present, when the kit the script was built from had none) and none left under the
# shipped name, and the slot's flag in Id.bin raised where there is one to raise.
function Test-Psip([string]$Folder, [long]$KitSecond) {
    if (-not (Test-ProfileSet $Folder 'PSIP' $PsipShipped $KitSecond)) { return $false }
    $listPath = Join-Path $Folder 'SettingInfo.ini'
    $entry = Find-ListedEntry $listPath '[Informations]' $PsipName
    if ($null -eq $entry -or -not (Test-SafeKey $entry.Key)) { return $false }
    $profileName = Get-ProfileName $listPath $entry
    if ($null -eq $profileName) { return $false }
    $profileFile = Join-Path $Folder $profileName
    $kitSha256 = Get-KitSha256 'PSIP' $PsipShipped
    if ($null -eq $kitSha256) {
        if (-not (Test-PlainFile (Get-Entry $profileFile))) { return $false }
    } elseif (-not (Test-KitBytes $profileFile $kitSha256) -or -not (Test-HeldByTrusted (Get-Entry $profileFile))) {
        return $false
    }
    # A profile left under the shipped name is only warned about; a folder there stops the run.
    if (Test-PlainFolder (Get-Entry (Join-Path $Folder $PsipShipped))) { return $false }
    $slot = Get-Slot $entry.Key
    $flagFile = Join-Path $Folder 'Id.bin'
    if ($slot -lt 0 -or $null -eq (Get-Entry $flagFile)) { return $true }
    $bytes = Read-Bytes $flagFile $FlagLimit
    return $null -ne $bytes -and $bytes.Length -gt 8 + $slot -and $bytes[8 + $slot] -eq 0xFF
}

# fi-series TWAIN: the profile set, the template in the folder, and the template listed.
function Test-Twain([string]$Folder, [long]$KitSecond) {
    if (-not (Test-ProfileSet $Folder 'Twain' '' $KitSecond)) { return $false }
    if (-not (Test-PlainFile (Get-Entry (Join-Path $Folder $TwainTemplate)))) { return $false }
    return $null -ne (Find-ListedEntry (Join-Path $Folder 'FTSLISTS.INI') '[TemplateLists]' $TwainTemplate)
}

$Detected = $false
try {
    if ($KitTime -cnotmatch '\A[0-9]+\z') {
        throw 'the kit values are not filled in'
    }
    $kitSecond = [long]$KitTime
    $appData = $env:ProgramData
    $psip = Get-RealFolder $appData @('Fujitsu', 'iCube', 'FTS')
    $twain = Find-TwainFolder $appData
    $Detected = ($null -ne $psip -or $null -ne $twain) -and
        ($null -eq $psip -or (Test-Psip $psip $kitSecond)) -and
        ($null -eq $twain -or (Test-Twain $twain $kitSecond))
} catch {
    $Detected = $false
}
if ($Detected) {
    Write-Output 'Brenwick passbook settings installed'
}
exit 0
