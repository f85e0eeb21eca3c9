# Brenwick detection script, for Intune (Win32 app, custom detection script) and Configuration
# Manager (script detection method). Windows PowerShell 5.1; it needs nothing of the kit.
#
# Detected (exit code 0 and one line on standard output) when every scanner driver whose
# settings folder is on this PC has this kit's passbook settings, as "BrenwickCli check auto"
# would find; otherwise exit code 0 and no output. It reads the driver's files as the programs
# read them and changes nothing.

# ---- This kit's values -----------------------------------------------------------------------
# The kit build fills them in from the kit's own files. After you replace or touch the files
# in PSIP\ and Twain\, or unzip the kit, take them again in the kit folder you deploy:
#   (Get-FileHash PSIP\FTS_EX_BKBOOK.xml).Hash
#   (Get-FileHash Twain\bkbook_multi.fts).Hash
#   [DateTimeOffset]::new((Get-Item Twain\bkbook_multi.fts).LastWriteTimeUtc).ToUnixTimeSeconds()
# Values not filled in are never detected.
# SHA-256 of PSIP\FTS_EX_BKBOOK.xml:
$KitProfileSha256 = '@KIT_PROFILE_SHA256@'
# SHA-256 of Twain\bkbook_multi.fts:
$KitTemplateSha256 = '@KIT_TEMPLATE_SHA256@'
# Last-write time of Twain\bkbook_multi.fts, in seconds since 1970-01-01 00:00 UTC:
$KitTemplateTime = '@KIT_TEMPLATE_TIME@'
# ------------------------------------------------------------------------------------------------

Set-StrictMode -Version 2.0
$ErrorActionPreference = 'Stop'

# The programs' limits: a larger list file or Id.bin is not read; a larger profile is not the
# kit's.
$ListLimit = 64MB
$FlagLimit = 64KB
$ProfileLimit = 64MB

# List files are handled one character per byte (ISO 8859-1 gives each byte the character of
# its own number), so that the rules below see the bytes the programs see: a byte order mark
# is three bytes of the first line, and no byte that a code page 932 decoder would pair up or
# replace is lost. Only a slot key becomes a file name, through code page 932.
$Bytewise = [System.Text.Encoding]::GetEncoding(28591)
$Cp932 = [System.Text.Encoding]::GetEncoding(932)
# The white space the programs trim, and no other.
$Blanks = [char[]](0x20, 0x09, 0x0A, 0x0B, 0x0C, 0x0D)

# The profile name PaperStream IP lists: code page 932 bytes 92 CA 92 A0 83 7D 83 8B 83 60.
$PsipName = $Bytewise.GetString([byte[]](0x92, 0xCA, 0x92, 0xA0, 0x83, 0x7D, 0x83, 0x8B, 0x83, 0x60))
$TwainName = 'bkbook_multi.fts'

# A file's bytes, read while other programs may go on reading, writing or deleting it, as the
# programs read; null when it is larger than $Limit bytes. Throws when it cannot be opened or
# read (missing, held by another program, access denied).
function Read-Bytes([string]$Path, [long]$Limit) {
    $share = [System.IO.FileShare]::ReadWrite -bor [System.IO.FileShare]::Delete
    $stream = [System.IO.FileStream]::new($Path, [System.IO.FileMode]::Open, [System.IO.FileAccess]::Read, $share)
    try {
        if ($stream.Length -gt $Limit) {
            return $null
        }
        $bytes = New-Object byte[] ([int]$stream.Length)
        $done = 0
        while ($done -lt $bytes.Length) {
            $count = $stream.Read($bytes, $done, $bytes.Length - $done)
            if ($count -le 0) {
                throw "$Path ended early"
            }
            $done += $count
        }
        # The comma keeps PowerShell from handing the bytes on one by one.
        return ,$bytes
    } finally {
        $stream.Dispose()
    }
}

function Test-Name([string]$Path) {
    return [System.IO.File]::Exists($Path) -or [System.IO.Directory]::Exists($Path)
}

function Get-Sha256([byte[]]$Bytes) {
    $algorithm = [System.Security.Cryptography.SHA256]::Create()
    try {
        return [System.BitConverter]::ToString($algorithm.ComputeHash($Bytes)).Replace('-', '')
    } finally {
        $algorithm.Dispose()
    }
}

function Test-Sha256([byte[]]$Bytes, [string]$Expected) {
    return [string]::Equals((Get-Sha256 $Bytes), $Expected, [System.StringComparison]::OrdinalIgnoreCase)
}

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
        if ([int]$Text[$at] -eq $Code) {
            return $at
        }
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
    return [string]::new($chars)
}

# The key of the first entry of $Section whose value is $Name, read as the programs read a list
# file; null when there is none. Lines end at LF; a CR right before it goes with it, any other
# CR is text. A line whose trimmed text holds both '[' and ']' is a section header, named by
# that whole text; any other line holding '=' is an entry: its key is the trimmed text left of
# the first '=', its value the text right of it, trimmed. Entries above the first header belong
# to every section; below it, to the section of the last header, compared exactly.
function Find-EntryKey([byte[]]$Bytes, [string]$Section, [string]$Name) {
    $lines = $Bytewise.GetString($Bytes).Split([char]0x0A)
    $header = ''
    $wanted = Get-Folded $Name
    for ($number = 0; $number -lt $lines.Length; $number++) {
        $line = $lines[$number]
        if ($number -lt $lines.Length - 1 -and $line.Length -gt 0 -and [int]$line[$line.Length - 1] -eq 0x0D) {
            $line = $line.Substring(0, $line.Length - 1)
        }
        $text = $line.Trim($Blanks)
        if ($text.IndexOf([char]0x5B) -ge 0 -and $text.IndexOf([char]0x5D) -ge 0 -and
            (Find-Char $text 0x5B) -ge 0 -and (Find-Char $text 0x5D) -ge 0) {
            $header = $text
            continue
        }
        $equals = $text.IndexOf([char]0x3D)
        if ($equals -lt 0) {
            continue
        }
        if ($header.Length -gt 0 -and -not [string]::Equals($header, $Section, [System.StringComparison]::Ordinal)) {
            continue
        }
        $value = $text.Substring($equals + 1).Trim($Blanks)
        if ($value.Length -eq $Name.Length -and [string]::Equals((Get-Folded $value), $wanted, [System.StringComparison]::Ordinal)) {
            return $text.Substring(0, $equals)
        }
    }
    return $null
}

# Whether a key names a profile file the programs would touch: no path, wildcard or control
# character, no '~' (a short name could stand for another file), not the shipped profile's own
# name, and not longer than the programs take.
function Test-SafeKey([string]$Key) {
    if ($Key.Length -gt 200) {
        return $false
    }
    foreach ($char in $Key.ToCharArray()) {
        $code = [int]$char
        if ($code -eq 0x5C -or $code -eq 0x2F -or $code -lt 0x20 -or $code -eq 0x7F) {
            return $false
        }
    }
    foreach ($code in 0x3A, 0x2A, 0x3F, 0x22, 0x3C, 0x3E, 0x7C, 0x7E) {
        if ((Find-Char $Key $code) -ge 0) {
            return $false
        }
    }
    return -not [string]::Equals((Get-Folded $Key), '_bkbook', [System.StringComparison]::Ordinal)
}

# The slot a key stands for: decimal digits alone (leading zeros as many as there are), and a
# number of at most 999. -1 for any other key, which has no flag.
function Get-Slot([string]$Key) {
    $digits = $Key.Trim($Blanks)
    if ($digits -cnotmatch '\A[0-9]+\z') {
        return -1
    }
    $digits = $digits.TrimStart([char]0x30)
    if ($digits.Length -gt 3) {
        return -1
    }
    if ($digits.Length -eq 0) {
        return 0
    }
    return [int]$digits
}

# The folder that $Names make beneath $Base when each of them is a real folder, not a link or
# junction, as the programs enter them; null otherwise.
function Get-RealFolder([string]$Base, [string[]]$Names) {
    if ([string]::IsNullOrEmpty($Base) -or -not [System.IO.Directory]::Exists($Base)) {
        return $null
    }
    $path = $Base
    foreach ($name in $Names) {
        $path = [System.IO.Path]::Combine($path, $name)
        if (-not [System.IO.Directory]::Exists($path)) {
            return $null
        }
        if (([System.IO.File]::GetAttributes($path) -band [System.IO.FileAttributes]::ReparsePoint) -ne 0) {
            return $null
        }
    }
    return $path
}

# Whether every folder $Names make beneath $Base is owned by the administrators, SYSTEM,
# TrustedInstaller or this script's own account: the programs prefer such a folder to one a
# user may have made.
function Test-TrustedChain([string]$Base, [string[]]$Names) {
    $path = $Base
    foreach ($name in $Names) {
        $path = [System.IO.Path]::Combine($path, $name)
        try {
            $security = [System.IO.Directory]::GetAccessControl($path, [System.Security.AccessControl.AccessControlSections]::Owner)
            $owner = $security.GetOwner([System.Security.Principal.SecurityIdentifier]).Value
        } catch {
            return $false
        }
        if ($TrustedOwners -notcontains $owner) {
            return $false
        }
    }
    return $true
}

# The fi-series driver's folder the programs would take: the one under ProgramData when
# trusted, else the one in the Windows folder when trusted or alone, else the first.
function Find-TwainFolder([string]$AppData) {
    $first = Get-RealFolder $AppData @('Fujitsu', 'Fjtwain', 'FTS')
    if ($null -ne $first -and (Test-TrustedChain $AppData @('Fujitsu', 'Fjtwain', 'FTS'))) {
        return $first
    }
    $fallback = Get-RealFolder $env:windir @('twain_32', 'fjscan32')
    if ($null -ne $fallback -and ($null -eq $first -or (Test-TrustedChain $env:windir @('twain_32', 'fjscan32')))) {
        return $fallback
    }
    return $first
}

# PaperStream IP: the profile is listed, the slot's profile is the kit's and none is left under
# the shipped name, and the slot's flag in Id.bin is raised where there is one to raise.
function Test-Psip([string]$Folder) {
    $list = Read-Bytes ([System.IO.Path]::Combine($Folder, 'SettingInfo.ini')) $ListLimit
    if ($null -eq $list) {
        return $false
    }
    $key = Find-EntryKey $list '[Informations]' $PsipName
    if ($null -eq $key -or -not (Test-SafeKey $key)) {
        return $false
    }
    $profileName = 'FTS_EX' + $Cp932.GetString($Bytewise.GetBytes($key)) + '.xml'
    $profileFile = [System.IO.Path]::Combine($Folder, $profileName)
    if (-not [System.IO.File]::Exists($profileFile)) {
        return $false
    }
    $bytes = Read-Bytes $profileFile $ProfileLimit
    if ($null -eq $bytes -or -not (Test-Sha256 $bytes $KitProfileSha256)) {
        return $false
    }
    if (Test-Name ([System.IO.Path]::Combine($Folder, 'FTS_EX_BKBOOK.xml'))) {
        return $false
    }
    $slot = Get-Slot $key
    $flagFile = [System.IO.Path]::Combine($Folder, 'Id.bin')
    if ($slot -lt 0 -or -not (Test-Name $flagFile)) {
        return $true
    }
    $bytes = Read-Bytes $flagFile $FlagLimit
    return $null -ne $bytes -and $bytes.Length -gt 8 + $slot -and $bytes[8 + $slot] -eq 0xFF
}

# fi-series TWAIN: the template is listed and in the folder, either written in a later second
# than the kit's (the installation keeps a template edited here) or in the same second with the
# kit's bytes.
function Test-Twain([string]$Folder, [long]$KitSecond) {
    $list = Read-Bytes ([System.IO.Path]::Combine($Folder, 'FTSLISTS.INI')) $ListLimit
    if ($null -eq $list -or $null -eq (Find-EntryKey $list '[TemplateLists]' $TwainName)) {
        return $false
    }
    $template = [System.IO.Path]::Combine($Folder, $TwainName)
    if (-not [System.IO.File]::Exists($template)) {
        return $false
    }
    $written = [DateTimeOffset]::new([System.IO.File]::GetLastWriteTimeUtc($template)).ToUnixTimeSeconds()
    if ($written -ne $KitSecond) {
        return $written -gt $KitSecond
    }
    $bytes = Read-Bytes $template $ProfileLimit
    return $null -ne $bytes -and (Test-Sha256 $bytes $KitTemplateSha256)
}

$Detected = $false
try {
    $kitSecond = [long]$KitTemplateTime
    if ($KitProfileSha256 -cnotmatch '\A[0-9A-Fa-f]{64}\z' -or $KitTemplateSha256 -cnotmatch '\A[0-9A-Fa-f]{64}\z') {
        throw 'the kit values are not filled in'
    }
    $TrustedOwners = @('S-1-5-32-544', 'S-1-5-18',
        'S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464',
        [System.Security.Principal.WindowsIdentity]::GetCurrent().User.Value)
    $appData = [System.Environment]::GetFolderPath('CommonApplicationData')
    $psip = Get-RealFolder $appData @('Fujitsu', 'iCube', 'FTS')
    $twain = Find-TwainFolder $appData
    $Detected = ($null -ne $psip -or $null -ne $twain) -and
        ($null -eq $psip -or (Test-Psip $psip)) -and
        ($null -eq $twain -or (Test-Twain $twain $kitSecond))
} catch {
    $Detected = $false
}
if ($Detected) {
    Write-Output 'Brenwick passbook settings installed'
}
exit 0
