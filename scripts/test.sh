#!/usr/bin/env bash
# Builds both builds and runs every test: the native unit suite (gcc), the same under
# AddressSanitizer and UndefinedBehaviorSanitizer (clang), a bounded fuzz run, the list-file
# benchmark, the Windows build's unit suite under Wine, the end-to-end test of the real
# Brenwick.exe under Wine and Xvfb with the kit signed by a throwaway certificate, the kit's
# PowerShell scripts run by Pester on every folder state of the console program's table, and a
# second build of the kit that must give the same bytes, signed and unsigned. Installs what is
# missing first.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BRENWICK_BUILD_DIR:-$root/build}"
jobs="$(nproc)"
fuzz_seconds="${BRENWICK_FUZZ_SECONDS:-60}"

step() { printf '\n=== %s ===\n' "$*"; }

step "Installing what is missing"
bash "$root/scripts/install-deps.sh"

step "Checking the formatting"
(cd "$root" && git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror)

step "Native build (gcc) and unit tests"
cmake -S "$root" -B "$build/native" -DCMAKE_BUILD_TYPE=Release -DBRENWICK_WERROR=ON \
    -DBRENWICK_BENCHMARK=ON >/dev/null
cmake --build "$build/native" -j "$jobs"
ctest --test-dir "$build/native" --output-on-failure -j "$jobs"

step "The kit's scripts under PowerShell 7 and Pester, on every folder state of the table"
# The folder-state table leaves each row's folders and check's answer; Pester runs the scripts
# on them (tests/scripts/KitScripts.Tests.ps1).
tools="${BRENWICK_TOOLS_DIR:-$root/build/tools}"
states="$(mktemp -d)"
BRENWICK_FOLDER_STATES_KEEP="$states" "$build/native/tests/cli_tests" \
    --gtest_filter='FolderStatesTest.DryRunRunAndCheckAgreeOnEveryFolderState' >/dev/null
BRENWICK_PWSH="$tools/pwsh/pwsh" BRENWICK_FOLDER_STATES_KEEP="$states" "$tools/pwsh/pwsh" -NoProfile \
    -NonInteractive -Command "Import-Module '$tools/nuget/pester/5.7.1/tools/Pester.psd1'
    \$configuration = New-PesterConfiguration
    \$configuration.Run.Path = '$root/tests/scripts'
    \$configuration.Run.Exit = \$true
    \$configuration.Output.Verbosity = 'Normal'
    Invoke-Pester -Configuration \$configuration"
rm -rf "$states"

step "Sanitizer build (clang, ASan + UBSan) and unit tests"
CC=clang CXX=clang++ cmake -S "$root" -B "$build/sanitize" -DCMAKE_BUILD_TYPE=Debug \
    -DBRENWICK_WERROR=ON -DBRENWICK_SANITIZE=ON >/dev/null
cmake --build "$build/sanitize" -j "$jobs"
ctest --test-dir "$build/sanitize" --output-on-failure -j "$jobs"

step "Fuzzing the line store for ${fuzz_seconds}s"
CC=clang CXX=clang++ cmake -S "$root" -B "$build/fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DBRENWICK_WERROR=ON -DBRENWICK_FUZZ=ON -DBRENWICK_BUILD_TESTS=ON >/dev/null
cmake --build "$build/fuzz" -j "$jobs" --target ini_fuzz
fuzz_work="$(mktemp -d)"
(cd "$fuzz_work" && "$build/fuzz/tests/ini_fuzz" -max_total_time="$fuzz_seconds" -max_len=4096 \
    -print_final_stats=1 "$fuzz_work" "$root/tests/fuzz/corpus" 2>&1 | tail -n 12)
rm -rf "$fuzz_work"

step "List-file benchmark (ratios to the floor of a crash-safe save, and peak memory)"
"$build/native/tests/ini_benchmark" --benchmark_min_time=0.2

step "Windows build (mingw-w64), its kit signed, and unit tests under Wine"
# A throwaway certificate authority and code-signing certificate, gone when the test ends. The
# password has a space and a semicolon, which must reach osslsigncode as they are.
signing="$(mktemp -d)"
trap 'rm -rf "$signing"' EXIT
sign_password='test password; 1'
key() { openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:2048 -quiet -out "$1"; }
key "$signing/ca.key"
openssl req -x509 -key "$signing/ca.key" -out "$signing/ca.pem" -days 2 -subj "/CN=Brenwick test CA" \
    -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign
key "$signing/signer.key"
openssl req -x509 -key "$signing/signer.key" -out "$signing/signer.pem" -days 2 \
    -subj "/O=Brenwick test/CN=Brenwick test signer" -CA "$signing/ca.pem" -CAkey "$signing/ca.key" \
    -addext basicConstraints=CA:FALSE -addext keyUsage=critical,digitalSignature \
    -addext extendedKeyUsage=codeSigning
openssl pkcs12 -export -inkey "$signing/signer.key" -in "$signing/signer.pem" \
    -passout "pass:$sign_password" -out "$signing/signer.pfx"
# From the environment, so that the build folder keeps no certificate: run.sh builds the same
# folder unsigned.
signed() {
    BRENWICK_SIGN_PFX="$signing/signer.pfx" BRENWICK_SIGN_PASSWORD="$sign_password" "$@"
}
cmake -S "$root" -B "$build/windows" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DBRENWICK_WERROR=ON >/dev/null
signed cmake --build "$build/windows" -j "$jobs"
source "$root/scripts/wine-env.sh"
trap 'stop_wine_prefix; stop_display; rm -rf "$signing"' EXIT
# A display of its own, even under a desktop session; it comes first, as the prefix's desktop
# process binds to the display when the prefix starts.
unset DISPLAY
start_display
start_wine_prefix
set_unmanaged_windows
ctest --test-dir "$build/windows" --output-on-failure

step "End-to-end: the real, signed Brenwick.exe under Wine, driven from outside"
bash "$root/tests/e2e/run-e2e.sh" "$build/windows"

step "Reproducible and signed: the kit built again from a copy of the sources elsewhere, later"
# The tracked and new files as they are now. The copy has no .git: it gets the commit's time,
# which the first build took from git, through SOURCE_DATE_EPOCH.
epoch="${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct)}"
again="$(mktemp -d)"
mkdir "$again/sources"
(cd "$root" && git ls-files -z --cached --others --exclude-standard |
    tar --null -T - --ignore-failed-read -cf -) | tar -xf - -C "$again/sources"
SOURCE_DATE_EPOCH="$epoch" cmake -S "$again/sources" -B "$again/build" \
    -DCMAKE_TOOLCHAIN_FILE="$again/sources/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DBRENWICK_WERROR=ON -DBRENWICK_BUILD_TESTS=OFF >/dev/null
cmake --build "$again/build" -j "$jobs" --target kit >/dev/null
kit="$build/windows/package"
zip="$(cd "$kit" && echo Brenwick-*.zip)"
faults=0
fault() { echo "  FAILED  $*"; faults=$((faults + 1)); }
# The second kit is unsigned: each signed program and script of the first, its signature
# removed, must be that file byte for byte.
mkdir "$again/removed"
for exe in Brenwick.exe BrenwickCli.exe Detect-Brenwick.ps1 Require-Brenwick.ps1; do
    signed_exe="$kit/Brenwick/$exe"
    if ! osslsigncode verify -CAfile "$signing/ca.pem" -in "$signed_exe" >"$again/verify.txt" 2>&1
    then
        fault "$exe: its signature does not verify against the test authority:"
        tail -n 5 "$again/verify.txt"
    fi
    if osslsigncode remove-signature -in "$signed_exe" -out "$again/removed/$exe" >/dev/null &&
        cmp -s "$again/removed/$exe" "$again/build/package/Brenwick/$exe"; then
        echo "  same    $exe without its signature, and unsigned"
    else
        fault "$exe without its signature differs from the unsigned build (offset, octal bytes):"
        cmp -l "$again/removed/$exe" "$again/build/package/Brenwick/$exe" | head -n 5 || true
    fi
done
# Signed with the same certificate, the second kit must be the first, zip included.
signed cmake --build "$again/build" --target kit >/dev/null
for file in Brenwick/Brenwick.exe Brenwick/BrenwickCli.exe Brenwick/Detect-Brenwick.ps1 \
    Brenwick/Require-Brenwick.ps1 "$zip"; do
    if cmp -s "$kit/$file" "$again/build/package/$file"; then
        echo "  same    $file, signed"
    else
        fault "$file differs (offset, octal bytes; first lines):"
        cmp -l "$kit/$file" "$again/build/package/$file" | head -n 5 || true
    fi
done
for exe in Brenwick.exe BrenwickCli.exe; do
    file="$kit/Brenwick/$exe"
    pe="$(od -An -tu4 -j60 -N4 "$file" | tr -d ' ')"
    stamp="$(od -An -tu4 -j$((pe + 8)) -N4 "$file" | tr -d ' ')"
    [ "$stamp" = "$epoch" ] || fault "$exe: PE time stamp $stamp, not the commit's $epoch"
    size="$(stat -c %s "$file")"
    [ "$size" -lt 460800 ] || fault "$exe: $size bytes, not under 450 KB"
    debug="$(x86_64-w64-mingw32-objdump -h "$file" | grep -c ' \.debug' || true)"
    [ "$debug" = 0 ] || fault "$exe: $debug debug sections"
done
(cd "$kit/Brenwick" && sha256sum --quiet -c SHA256SUMS) || fault "the kit's SHA256SUMS does not match it"
python3 -m zipfile -e "$kit/$zip" "$again/unzipped"
diff -r "$kit/Brenwick" "$again/unzipped/Brenwick" || fault "$zip does not hold the kit as laid out"
[ "$faults" -eq 0 ] || { echo "(second build kept in $again)"; exit 1; }
rm -rf "$again"
echo "  programs and scripts signed and verified; the same bytes signed and unsigned; PE time stamps the commit's"

step "All tests passed"
