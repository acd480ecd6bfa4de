#!/usr/bin/env bash
# Installs the Debian packages that are missing: "run" for what building and running the program
# needs, "test" (the default) for the whole test suite as well. Does nothing when all are there.
set -euo pipefail
run=(cmake make g++ qt6-base-dev qt6-tools-dev qt6-tools-dev-tools qt6-documentation-tools
     libqt6sql6-sqlite libqt6help6 qt6-translations-l10n qt6-image-formats-plugins qt6-wayland
     libgl-dev fonts-liberation libical-dev qtkeychain-qt6-dev libqt6keychain1)
test=(xvfb xauth xdotool x11-utils faketime clang libclang-rt-14-dev clang-format openbox
      weston xwayland dbus dunst desktop-file-utils appstream dpkg-dev man-db strace valgrind orca at-spi2-core gnome-keyring
      radicale xandikos python3-icalendar khal curl openssl)
pkgs=("${run[@]}")
[ "${1:-test}" = run ] || pkgs+=("${test[@]}")
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
