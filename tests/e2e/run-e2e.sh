#!/usr/bin/env bash
# End-to-end test: the real Brenwick.exe under Wine, driven from outside by brenwick_driver,
# against driver folders seeded in the prefix. Needs WINEPREFIX and DISPLAY (scripts/wine-env.sh).
# Usage: run-e2e.sh WINDOWS_BUILD_DIR
set -uo pipefail

build="$1"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
source "$root/scripts/driver-folders.sh"

KIT="$DRIVE_C/kit"
DONE_TEXT=$'\x83h\x83\x89\x83C\x83o\x90\xDD\x92\xE8\x82\xCC\x83C\x83\x93\x83X\x83g\x81[\x83\x8B\x82\xAA\x8A\xAE\x97\xB9\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81B'
passed=0
failed=0

utf8() { iconv -f CP932 -t UTF-8; }
driver() { wine "$build/tests/brenwick_driver.exe" "$@" 2>/dev/null | tr -d '\r'; }

check() {  # check NAME COMMAND...
    local name="$1"
    shift
    if "$@"; then
        passed=$((passed + 1))
        echo "  ok      $name"
    else
        failed=$((failed + 1))
        echo "  FAILED  $name"
    fi
}
same() { [ "$1" = "$2" ] || { printf '    expected: %s\n    actual:   %s\n' "$2" "$1"; false; }; }
contains() { grep -qxF -- "$2" <<<"$1" || { printf '    no line %s in:\n%s\n' "$2" "$1"; false; }; }

fresh_folders() {
    rm -rf "$DRIVE_C/ProgramData/Fujitsu" "$DRIVE_C/windows/twain_32"
    seed_psip_folder
    seed_twain_folder "$TWAIN_FOLDER"
    snapshot="$(mktemp -d)"
    cp -r "$DRIVE_C/ProgramData/Fujitsu" "$snapshot/"
}
unchanged() { diff -r "$snapshot/Fujitsu" "$DRIVE_C/ProgramData/Fujitsu" >/dev/null; }

start_app() {
    (cd "$KIT" && exec wine 'C:\kit\Brenwick.exe' </dev/null >/dev/null 2>&1) &
    app=$!
    driver wait-dialog >/dev/null
}
exited() {
    for _ in $(seq 100); do
        kill -0 "$app" 2>/dev/null || return 0
        sleep 0.2
    done
    kill "$app" 2>/dev/null
    false
}
# The box's text, which runs from its "text=" line to the end, line feeds and all.
box_text() { driver box | sed -n '/^text=/,$p' | sed '1s/^text=//'; }
expected_box() { printf '%s' "$1" | utf8; }

rm -rf "$KIT" && cp -r "$build/package/Brenwick" "$KIT"

echo "The dialog as it opens, the system menu and the About box"
fresh_folders
start_app
check "PaperStream IP checked, fi-series not, focus on OK" same "$(driver state)" "psip=1 twain=0 focus=1"
driver menu-last
about="$(driver about)"
check "the last item of the system menu opens the About box" contains "$about" "caption=バージョン情報 Brenwick"
check "the About box is owned by the settings dialog" contains "$about" "owner=settings"
check "the About box names the version" contains "$about" "text=Brenwick Version 1.0"
driver dismiss escape
for command in 0x0010 0x001F; do
    driver syscommand "$command"
    check "system command $command opens the About box" contains "$(driver about)" "owner=settings"
    driver dismiss ok
done
driver syscommand 0x0020
check "system command 0x0020 does not" same "$(BRENWICK_DRIVER_WAIT_MS=1500 driver about)" ""
check "the choice is the same after the About box" same "$(driver state | cut -d' ' -f1-2)" "psip=1 twain=0"
driver click 2
check "Cancel ends the tool without a message" exited
check "Cancel installs nothing" unchanged

echo "Escape and the close box"
start_app
driver key escape
check "Escape ends the tool" exited
start_app
driver syscommand 0xF060
check "the close box ends the tool" exited
check "neither installs anything" unchanged

echo "PaperStream IP installation"
fresh_folders
start_app
driver click 1
box="$(driver box)"
check "the result box is owned by the settings dialog" contains "$box" "owner=settings"
check "its caption is the executable's name" contains "$box" "caption=Brenwick"
check "it reports completion" contains "$box" "text=$(expected_box "$DONE_TEXT")"
driver dismiss ok
check "the tool ends after the message" exited
check "the free slot 000002 carries the profile" \
    same "$(sed -n 3p "$PSIP_FOLDER/SettingInfo.ini" | od -An -tx1 | tr -d ' \n')" \
    "$(printf '000002=%s\r\n' "$PROFILE_NAME" | od -An -tx1 | tr -d ' \n')"
check "every other line is as it was" \
    same "$(sed 3d "$PSIP_FOLDER/SettingInfo.ini" | md5sum)" "$(sed 3d "$snapshot/Fujitsu/iCube/FTS/SettingInfo.ini" | md5sum)"
check "the profile file is named after the slot" cmp -s "$PSIP_FOLDER/FTS_EX000002.xml" "$KIT/PSIP/FTS_EX_BKBOOK.xml"
check "the shipped name is gone" test ! -e "$PSIP_FOLDER/FTS_EX_BKBOOK.xml"
check "the flag of slot 2 is raised" same "$(flag_byte 2)" "ff"
check "the flag of slot 1 stays" same "$(flag_byte 1)" "ff"
check "Id.bin keeps its length" same "$(stat -c %s "$PSIP_FOLDER/Id.bin")" "1008"

echo "fi-series TWAIN installation, first folder, chosen with the keyboard"
fresh_folders
start_app
driver click 1001
check "the fi-series button is checked" same "$(driver state | cut -d' ' -f1-2)" "psip=0 twain=1"
driver key return
check "Enter installs and reports completion" contains "$(driver box)" "text=$(expected_box "$DONE_TEXT")"
driver dismiss ok
check "the tool ends" exited
check "slot 02 carries the template" same "$(sed -n 3p "$TWAIN_FOLDER/FTSLISTS.INI")" $'02=bkbook_multi.fts\r'
check "the template set is copied" cmp -s "$TWAIN_FOLDER/bkbook_multi.fts" "$KIT/Twain/bkbook_multi.fts"
check "PaperStream IP is untouched" diff -r "$snapshot/Fujitsu/iCube" "$DRIVE_C/ProgramData/Fujitsu/iCube"

echo "fi-series TWAIN installation, the Windows folder"
fresh_folders
rm -rf "$DRIVE_C/ProgramData/Fujitsu/Fjtwain"
seed_twain_folder "$FALLBACK_TWAIN_FOLDER"
start_app
driver click 1001
driver click 1
check "it reports completion" contains "$(driver box)" "text=$(expected_box "$DONE_TEXT")"
driver dismiss ok
check "the tool ends" exited
check "slot 02 there carries the template" same "$(sed -n 3p "$FALLBACK_TWAIN_FOLDER/FTSLISTS.INI")" $'02=bkbook_multi.fts\r'

echo "A missing settings folder"
fresh_folders
rm -rf "$PSIP_FOLDER"
start_app
driver click 1
warning="$(driver box)"
check "the warning is owned by the settings dialog" contains "$warning" "owner=settings"
check "the warning names the missing folder" \
    same "$(sed -n 's/^text=//p' <<<"$warning")" "$(expected_box $'PFU\x90\xDD\x92\xE8\x83f\x83B\x83\x8C\x83N\x83g\x83\x8A(7X)\x82\xAA\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1\x81I')"
driver dismiss ok
sleep 0.5
error_box="$(box_text)"
check "then the error text ends in (-1) on its first line" \
    same "$(sed -n 1p <<<"$error_box")" "$(expected_box $'\x83h\x83\x89\x83C\x83o\x90\xDD\x92\xE8\x82\xCC\x83C\x83\x93\x83X\x83g\x81[\x83\x8B\x82\xC5\x83G\x83\x89\x81[\x82\xAA\x94\xAD\x90\xB6\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81B(-1)')"
check "a blank line, then the reason with the folder's full path" \
    same "$(sed -n '2,$p' <<<"$error_box")" "$(printf '\n%s' "ドライバの設定フォルダ「C:\\ProgramData\\Fujitsu\\iCube\\FTS」がないか、通常のフォルダではありません。ドライバがインストールされているか確認してください。")"
driver dismiss ok
check "the tool ends" exited

echo "The console program, with the kit in a folder with a Japanese name"
fresh_folders
japanese_kit="$DRIVE_C/配布キット"
rm -rf "$japanese_kit" && cp -r "$build/package/Brenwick" "$japanese_kit"
cli_err_file="$(mktemp)"
cli_out_file="$(mktemp)"
cli_once() {
    # Redirected, the program writes in the console's code page: 932 here.
    (cd "$KIT" && wine 'C:\kit\BrenwickCli.exe' "$@" </dev/null >"$cli_out_file" 2>"$cli_err_file")
    cli_code=$?
    cli_raw="$(od -An -tx1 -v <"$cli_out_file" | tr -d ' \n')"
    cli_out="$(utf8 <"$cli_out_file" | tr -d '\r')"
    cli_err="$(utf8 <"$cli_err_file" | tr -d '\r')"
}
cli() {  # cli ARGS...: sets $cli_out, $cli_code and $cli_err
    cli_once "$@"
    # The program always says something, on standard error at the least, when it ends with 1:
    # an exit 1 in silence is Wine that did not run it. Once more, and said so.
    if [ "$cli_code" = 1 ] && [ -z "$cli_out" ] && ! grep -q 'エラー' <<<"$cli_err"; then
        echo "    (Wine did not run BrenwickCli $*: ${cli_err:-no message}; once more)"
        cli_once "$@"
    fi
}
exit_code() {  # exit_code EXPECTED: the last run's, with its standard error when it differs
    same "$cli_code" "$1" || { printf '    standard error: %s\n' "$cli_err"; false; }
}
cli check psip --source 'C:\配布キット' --json
check "check before: exit code 1" exit_code 1
check "check before: the entry is missing" contains "$(tr ',' '\n' <<<"$cli_out")" '"missing":["entry"'
check "check before: the JSON names the kit by Get-FileHash's digits, under 2,048 characters" \
    eval '[[ "$cli_out" == "{\"schemaVersion\":1,\"computer\":"* ]] && [ ${#cli_out} -lt 2048 ] &&
        [[ "$cli_out" == *"\"kit\":{\"psip\":\"$(sha256sum "$japanese_kit/PSIP/FTS_EX_BKBOOK.xml" | cut -c1-64 | tr a-f A-F)\""* ]]'
echo "    (check psip --json: ${#cli_out} characters)"
cli install psip --source 'C:\配布キット' --json
check "install: exit code 0" exit_code 0
check "install: filled slot 000002" contains "$(tr ',' '\n' <<<"$cli_out")" '"key":"000002"'
check "install: the kit's profile is in place" cmp -s "$PSIP_FOLDER/FTS_EX000002.xml" "$japanese_kit/PSIP/FTS_EX_BKBOOK.xml"
cli check psip --source 'C:\配布キット'
check "check after: exit code 0" exit_code 0
check "check after: says so in Japanese" contains "$cli_out" "[PaperStream IP] インストール済みです。"
check "check after: redirected, in code page 932 with CR LF" \
    grep -q "$(printf '%s' "インストール済みです。" | iconv -f UTF-8 -t CP932 | od -An -tx1 -v | tr -d ' \n')0d0a" <<<"$cli_raw"
tree_state() { find "$DRIVE_C/ProgramData/Fujitsu" -printf '%p %T@ %s %m\n' | sort | md5sum; }
before_dry_run="$(tree_state)"
cli install auto --source 'C:\配布キット' --dry-run
check "a dry run of auto covers both drivers and writes nothing" \
    same "$cli_code:$(grep -c '^\[' <<<"$cli_out"):$(tree_state)" "0:8:$before_dry_run"
cli install psip --source 'C:\配布キット'
check "a second install has nothing to do" same "$cli_code:$(tree_state)" "0:$before_dry_run"
cli uninstall psip --source 'C:\配布キット' --json
check "uninstall: exit code 0" exit_code 0
check "uninstall: the entry is removed" contains "$(tr ',' '\n' <<<"$cli_out")" '"action":"removed"'
check "uninstall: the list file is as the driver left it" \
    cmp -s "$PSIP_FOLDER/SettingInfo.ini" "$snapshot/Fujitsu/iCube/FTS/SettingInfo.ini"
check "uninstall: the flag file is as the driver left it" \
    cmp -s "$PSIP_FOLDER/Id.bin" "$snapshot/Fujitsu/iCube/FTS/Id.bin"
check "uninstall: the slot's profile is gone" test ! -e "$PSIP_FOLDER/FTS_EX000002.xml"
cli check psip --source 'C:\配布キット'
check "check after uninstall: exit code 1" exit_code 1
cli install psip --bogus
check "a bad command line: exit code 2" exit_code 2

echo "The kit's scripts, README and file times"
built="$build/package/Brenwick"
# The kit's values that the detection script compares, as the build filled them in: its files'
# time, and each kit file with its SHA-256 in Get-FileHash's digits.
detect_script() { tr -d '\r' <"$built/Detect-Brenwick.ps1"; }
upper_sha256() { sha256sum "$1" | cut -d' ' -f1 | tr a-f A-F; }
check "the detection script holds the SHA-256 of the kit's profile" \
    eval "detect_script | grep -qx '$(upper_sha256 "$built/PSIP/FTS_EX_BKBOOK.xml")  PSIP/FTS_EX_BKBOOK.xml'"
check "and of the kit's template" \
    eval "detect_script | grep -qx '$(upper_sha256 "$built/Twain/bkbook_multi.fts")  Twain/bkbook_multi.fts'"
check "and the kit files' last-write time" \
    same "$(detect_script | sed -n "s/^\\\$KitTime = //p" | tr -d "'")" "$(stat -c %Y "$built/Twain/bkbook_multi.fts")"
# Text for Windows: CR LF line ends and no bare CR or LF.
crlf_only() { [ "$(tr -cd '\r' <"$1" | wc -c)" = "$(tr -cd '\n' <"$1" | wc -c)" ] && ! grep -q $'[^\r]$' "$1"; }
for script in Detect-Brenwick.ps1 Require-Brenwick.ps1; do
    check "$script is ASCII with CR LF line ends" \
        eval "! LC_ALL=C grep -q '[^[:print:][:space:]]' '$built/$script' && crlf_only '$built/$script'"
done
check "README.txt is UTF-8 with a byte order mark and CR LF line ends, as Notepad shows it right" \
    eval "[ \"\$(head -c 3 '$built/README.txt' | od -An -tx1 | tr -d ' ')\" = efbbbf ] &&
        iconv -f UTF-8 -t UTF-8 '$built/README.txt' >/dev/null && crlf_only '$built/README.txt'"
# Every file of the folder carries the time its zip entry holds (UTC), the same for all.
zip_times() {
    python3 - "$built" "$build/package/Brenwick-"*.zip <<'PY'
import calendar, os, sys, zipfile
folder, archive = sys.argv[1], sys.argv[2]
times = set()
for entry in zipfile.ZipFile(archive).infolist():
    if not entry.is_dir():
        local = os.path.join(os.path.dirname(folder), *entry.filename.split("/"))
        times.add((calendar.timegm(entry.date_time), int(os.stat(local).st_mtime)))
print(" ".join(f"{zip_time}={folder_time}" for zip_time, folder_time in sorted(times)))
PY
}
kit_times="$(zip_times)"
check "every kit file carries the time of its zip entry, one time for all" \
    same "$kit_times" "${kit_times%%=*}=${kit_times%%=*}"

echo "Deployment recipes, as the README prints them, with the kit and the log in folders with spaces"
readme="$root/README.md"
recipe_kit='C:\Passbook Kit\Brenwick'
recipe_log='C:\Brenwick logs\Brenwick.log'
log_file="$DRIVE_C/Brenwick logs/Brenwick.log"
rm -rf "$DRIVE_C/Passbook Kit" "$DRIVE_C/Brenwick logs"
mkdir -p "$DRIVE_C/Passbook Kit" "$DRIVE_C/Brenwick logs"
cp -a "$built" "$DRIVE_C/Passbook Kit/Brenwick"
# The start-up script is the fenced block that sets KIT; only its KIT and LOG lines change here.
startup="$(awk '/^```bat$/ { inside = 1; block = ""; next }
    /^```$/ { if (inside && block ~ /\nset "KIT=/) printf "%s", block; inside = 0; next }
    inside { block = block $0 "\n" }' "$readme")"
kit_share="$(sed -n 's/^set "KIT=\(.*\)"$/\1/p' <<<"$startup")"
log_share="$(sed -n 's/^set "LOG=\(.*\)"$/\1/p' <<<"$startup")"
check "the README's start-up script sets KIT and LOG at its top" \
    eval '[ -n "$kit_share" ] && [ -n "$log_share" ] && [ "$(sed -n 3,4p <<<"$startup" | grep -c "^set ")" = 2 ]'
sed -e "s|^set \"KIT=.*|set \"KIT=${recipe_kit//\\/\\\\}\"|" -e "s|^set \"LOG=.*|set \"LOG=${recipe_log//\\/\\\\}\"|" \
    -e 's/$/\r/' <<<"$startup" >"$DRIVE_C/startup.cmd"
# The PsExec line's command, as PsExec has it run on the PC, with the README's share paths
# mapped; a batch file hands it to cmd as typed.
psexec_line="$(grep -m1 '^psexec \\\\' "$readme")"
remote_command="${psexec_line#* -s }"
check "the PsExec line runs cmd /c with the start-up script's paths" \
    eval '[[ "$remote_command" == "cmd /c \"\"$kit_share\\"* ]] && [[ "$remote_command" == *"$log_share"* ]]'
remote_command="${remote_command//"$kit_share"/"$recipe_kit"}"
printf '@echo off\r\n%s\r\n' "${remote_command//"$log_share"/"$recipe_log"}" >"$DRIVE_C/psexec-command.cmd"

recipe() {  # recipe BATCH: runs it under cmd; sets $recipe_code (8 bits) and $recipe_out
    wine cmd /c "C:\\$1" </dev/null >"$cli_out_file" 2>&1
    recipe_code=$?
    recipe_out="$(utf8 <"$cli_out_file" | tr -d '\r')"
}
recipe_exit() {  # recipe_exit EXPECTED
    same "$recipe_code" "$1" || { printf '    output:\n%s\n' "$recipe_out"; false; }
}
log_records() { grep -c '^exit code ' "$log_file" 2>/dev/null || true; }
configured() {
    cli check auto --source "$recipe_kit"
    exit_code 0
}
# Holds the fi-series list as a scanning application may, until release_list.
hold_list() {
    touch "$DRIVE_C/holding"
    said="$(mktemp)"
    wine "$build/tests/brenwick_driver.exe" hold 'C:\ProgramData\Fujitsu\Fjtwain\FTS\FTSLISTS.INI' \
        'C:\holding' >"$said" 2>/dev/null &
    holder=$!
    for _ in $(seq 100); do
        grep -q held "$said" && break
        sleep 0.1
    done
}
release_list() { rm -f "$DRIVE_C/holding" "$said"; wait "$holder"; }

for batch in startup.cmd psexec-command.cmd; do
    fresh_folders
    records="$(log_records)"
    recipe "$batch"
    check "$batch: exit code 0" recipe_exit 0
    check "$batch: the PC is set up for both drivers" configured
    check "$batch: one log record, ending in exit code 0" \
        same "$(log_records):$(tr -d '\r' <"$log_file" | tail -n1)" "$((records + 1)):exit code 0"
    recipe "$batch"
    check "$batch again: exit code 0, and a PC already set up logs nothing" \
        same "$recipe_code:$(log_records)" "0:$((records + 1))"
    fresh_folders
    hold_list
    recipe "$batch"
    release_list
    check "$batch with the list held: 1618 (82 in 8 bits), and the log says 1618" \
        same "$recipe_code:$(tr -d '\r' <"$log_file" | tail -n1)" "82:exit code 1618"
    recipe "$batch"
    check "$batch once the list is free: exit code 0, and the PC is set up" \
        eval 'recipe_exit 0 && configured'
done
rm -rf "$DRIVE_C/ProgramData/Fujitsu" "$DRIVE_C/windows/twain_32"
records="$(log_records)"
recipe startup.cmd
check "startup.cmd on a PC without a driver: exit code 3, nothing logged" \
    same "$recipe_code:$(log_records)" "3:$records"

echo "The executables import only system DLLs"
for exe in Brenwick.exe BrenwickCli.exe; do
    imports="$(x86_64-w64-mingw32-objdump -p "$KIT/$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort | tr '\n' ' ')"
    check "$exe: advapi32, kernel32, msvcrt, shell32 and user32 only" same "$imports" "advapi32.dll kernel32.dll msvcrt.dll shell32.dll user32.dll "
done
check "BrenwickCli.exe is a console program" same "$(x86_64-w64-mingw32-objdump -p "$KIT/BrenwickCli.exe" | sed -n 's/^Subsystem\s*//p')" "00000003	(Windows CUI)"

echo "end-to-end: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
