#!/usr/bin/env bash
# Installs, with apt-get, whatever the builds and tests need and this machine lacks.
# Safe to run again: it does nothing when everything is present.
set -euo pipefail

packages=(
  cmake make g++ clang clang-format libclang-rt-14-dev googletest libgtest-dev libbenchmark-dev
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 xvfb imagemagick fonts-ipafont-gothic locales
  osslsigncode openssl
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ "${#missing[@]}" -gt 0 ]; then
  echo "installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo_cmd apt-get update -qq
  $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine reads the ANSI code page from the locale: ja_JP.UTF-8 gives code page 932.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $sudo_cmd tee -a /etc/locale.gen >/dev/null
  $sudo_cmd locale-gen >/dev/null
fi

# PowerShell 7 and Pester, for running the kit's scripts in the tests: both from the NuGet
# registry through the .NET SDK, into a folder of the build's own. PowerShell 7.6.10 exactly,
# as later tool packages of it do not start here.
tools="${BRENWICK_TOOLS_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/tools}"
pwsh_version=7.6.10
pester_version=5.7.1
if ! command -v dotnet >/dev/null; then
  echo "install-deps: the .NET SDK (dotnet) is needed for PowerShell and Pester" >&2
  exit 1
fi
if [ "$("$tools/pwsh/pwsh" -NoProfile -Command '$PSVersionTable.PSVersion.ToString()' 2>/dev/null)" != "$pwsh_version" ]; then
  echo "installing: PowerShell $pwsh_version into $tools/pwsh"
  rm -rf "$tools/pwsh"
  dotnet tool install --tool-path "$tools/pwsh" PowerShell --version "$pwsh_version" >/dev/null
fi
if [ ! -f "$tools/nuget/pester/$pester_version/tools/Pester.psd1" ]; then
  echo "installing: Pester $pester_version into $tools/nuget"
  download="$tools/pester-download"
  mkdir -p "$download"
  framework="net$(dotnet --version | cut -d. -f1).0"
  cat >"$download/PesterDownload.csproj" <<CSPROJ
<Project Sdk="Microsoft.NET.Sdk">
  <PropertyGroup><TargetFramework>$framework</TargetFramework></PropertyGroup>
  <ItemGroup><PackageDownload Include="Pester" Version="[$pester_version]" /></ItemGroup>
</Project>
CSPROJ
  dotnet restore "$download/PesterDownload.csproj" --packages "$tools/nuget" >/dev/null
fi
