#!/usr/bin/env bash
# Installs into a temporary prefix and checks the layout and the desktop metadata.
set -euo pipefail
build="$1"
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
id=hu.zelmarin.Quillomat
for f in lib/quillomat/quillomat lib/quillomat/nevnap lib/quillomat/hand.cur \
         lib/quillomat/mouse3.gif lib/quillomat/mouse4.gif lib/quillomat/tartalom.qch \
         share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
         share/icons/hicolor/scalable/apps/$id.svg share/icons/hicolor/32x32/apps/$id.png; do
    [ -e "$prefix/$f" ] || { echo "missing: $f"; exit 1; }
done
[ "$(readlink "$prefix/bin/quillomat")" = "../lib/quillomat/quillomat" ] || { echo "bad link"; exit 1; }
"$prefix/bin/nevnap" Zoltán | grep -qx 'március 8. június 23.'
desktop-file-validate "$prefix/share/applications/$id.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" >/dev/null
echo "install layout and metadata: ok"
