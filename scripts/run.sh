#!/usr/bin/env bash
# Runs Brenwick.exe under Wine against sample driver folders, then shows what it changed,
# then puts the console program BrenwickCli.exe to work (check, install, check again, each
# with --json). With DISPLAY set, you work the dialog yourself. Without one, the run happens
# on a virtual display: the dialog is worked by the automation helper (OK on the default
# choice) and screenshots of the dialog and of the result box are saved. Installs what is
# missing and builds the kit first.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BRENWICK_BUILD_DIR:-$root/build}/windows"
shots="${BRENWICK_BUILD_DIR:-$root/build}/screenshots"

bash "$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DBRENWICK_BUILD_TESTS=ON >/dev/null
cmake --build "$build" -j "$(nproc)" --target kit brenwick_driver >/dev/null
echo "Kit: $build/package/Brenwick (zip: $build/package/Brenwick-1.0.0.2.zip)"

source "$root/scripts/wine-env.sh"
trap 'stop_wine_prefix; stop_display' EXIT
interactive=${DISPLAY:+yes}
start_display
start_wine_prefix
[ -n "$interactive" ] || set_unmanaged_windows
source "$root/scripts/driver-folders.sh"

seed_psip_folder
seed_twain_folder "$TWAIN_FOLDER"
before="$(mktemp -d)"
cp -r "$DRIVE_C/ProgramData/Fujitsu" "$before/"
cp -r "$build/package/Brenwick" "$DRIVE_C/kit"

(cd "$DRIVE_C/kit" && exec wine 'C:\kit\Brenwick.exe' </dev/null >/dev/null 2>&1) &
app=$!
if [ -n "$interactive" ]; then
    echo "Brenwick is open on $DISPLAY: choose a driver and press OK (or Cancel)."
else
    driver() { wine "$build/tests/brenwick_driver.exe" "$@" 2>/dev/null | tr -d '\r'; }
    mkdir -p "$shots"
    driver wait-dialog
    sleep 1
    import -window root -crop 520x280+252+248 "$shots/dialog.png"
    driver click 1
    driver box | sed -n 's/^text=/Message: /p'
    sleep 1
    import -window root -crop 600x300+212+234 "$shots/result.png"
    driver dismiss ok
    echo "Screenshots: $shots/dialog.png, $shots/result.png"
fi
wait "$app" || true

echo
echo "What the run changed in the driver folders:"
for list in iCube/FTS/SettingInfo.ini Fjtwain/FTS/FTSLISTS.INI; do
    echo "--- $list"
    diff <(iconv -f CP932 -t UTF-8 "$before/Fujitsu/$list" | tr -d '\r') \
         <(iconv -f CP932 -t UTF-8 "$DRIVE_C/ProgramData/Fujitsu/$list" | tr -d '\r') || true
done
echo "--- profile files in iCube/FTS: $(cd "$PSIP_FOLDER" && ls FTS_EX*.xml | tr '\n' ' ')"
for slot in 1 2 3; do
    echo "--- Id.bin flag of slot $slot (offset $((8 + slot))): $(flag_byte "$slot")"
done

echo
echo "The console program, as a deployment system would run it:"
cli_output="$(mktemp)"
brenwick_cli() {
    echo "> BrenwickCli $*"
    local code=0
    (cd "$DRIVE_C/kit" && exec wine 'C:\kit\BrenwickCli.exe' "$@" </dev/null) >"$cli_output" 2>&1 ||
        code=$?
    # Redirected, it writes in the console's code page (932 here); JSON is ASCII.
    iconv -f CP932 -t UTF-8 <"$cli_output" | tr -d '\r'
    echo "(exit code $code)"
}
brenwick_cli check auto --json
brenwick_cli install auto --json --log 'C:\kit\brenwick.log'
brenwick_cli check auto --json
rm -f "$cli_output"
echo "> the log it kept, C:\kit\brenwick.log:"
# UTF-8 with a byte order mark and CR LF line ends, as Windows' own tools read it.
sed '1s/^\xEF\xBB\xBF//' "$DRIVE_C/kit/brenwick.log" | tr -d '\r'
