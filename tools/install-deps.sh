#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need; does nothing when
# they are all present.
set -euo pipefail
pkgs=(cmake make g++ qt6-base-dev qt6-tools-dev qt6-tools-dev-tools qt6-documentation-tools
      libqt6sql6-sqlite libqt6help6 qt6-translations-l10n qt6-image-formats-plugins libgl-dev
      xvfb xauth xdotool x11-utils faketime clang libclang-rt-14-dev
      desktop-file-utils appstream fonts-liberation clang-format openbox x11-utils)
missing=()
for p in "${pkgs[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
