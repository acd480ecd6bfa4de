#!/usr/bin/env bash
# Installs into a temporary prefix and checks the layout and the desktop metadata; then builds
# the Debian package, checks its contents and control data, unpacks it into a temporary root and
# runs the commands from there. Nothing is installed on the machine itself.
set -euo pipefail
build="$1"
work=$(mktemp -d)
cleanup() { rm -rf "$work"; }
trap cleanup EXIT
fail() { echo "install: $*"; exit 1; }

prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
id=hu.zelmarin.Quillomat
for f in lib/quillomat/quillomat lib/quillomat/nevnap lib/quillomat/libquillomat-dav.so \
         lib/quillomat/libquillomat-help.so \
         lib/quillomat/libquillomat-ical.so lib/quillomat/libquillomat-keyring.so \
         lib/quillomat/hand.cur \
         lib/quillomat/mouse3.gif lib/quillomat/mouse4.gif lib/quillomat/tartalom.qch \
         share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
         share/icons/hicolor/scalable/apps/$id.svg share/icons/hicolor/32x32/apps/$id.png \
         share/doc/quillomat/copyright share/doc/quillomat/changelog.gz \
         share/man/man1/nevnap.1.gz share/man/man1/quillomat.1.gz; do
    [ -e "$prefix/$f" ] || fail "missing: $f"
done
[ "$(readlink "$prefix/bin/quillomat")" = "../lib/quillomat/quillomat" ] || fail "bad link"
"$prefix/bin/nevnap" Zoltán | grep -q 'március 8. június 23.' || fail "the installed nevnap"
desktop-file-validate "$prefix/share/applications/$id.desktop"
grep -qx 'StartupWMClass=Quillomat' "$prefix/share/applications/$id.desktop" || fail "no StartupWMClass"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" >/dev/null
for page in nevnap quillomat; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$prefix/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man page $page: $warnings"
done
echo "install layout and metadata: ok"

( cd "$build" && cpack -G DEB -B "$work/package" >/dev/null ) || fail "cpack failed"
deb=$(ls "$work"/package/quillomat_*_"$(dpkg --print-architecture)".deb)
[ "$(basename "$deb")" = "quillomat_$(dpkg-deb -f "$deb" Version)_$(dpkg --print-architecture).deb" ] \
    || fail "unexpected package name $(basename "$deb")"
[ "$(dpkg-deb -f "$deb" Package)" = quillomat ] || fail "package name"
depends=$(dpkg-deb -f "$deb" Depends)
for need in libqt6widgets6 libqt6core6 libqt6network6 libqt6help6 libqt6sql6-sqlite qt6-translations-l10n libc6 libical3 \
            libqt6keychain1; do
    grep -q "$need" <<<"$depends" || fail "Depends lacks $need: $depends"
done
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in ./usr/bin/quillomat ./usr/bin/nevnap ./usr/lib/quillomat/quillomat \
         ./usr/lib/quillomat/libquillomat-dav.so ./usr/lib/quillomat/libquillomat-help.so ./usr/lib/quillomat/libquillomat-ical.so ./usr/lib/quillomat/libquillomat-keyring.so \
         ./usr/lib/quillomat/tartalom.qch ./usr/share/applications/$id.desktop \
         ./usr/share/metainfo/$id.metainfo.xml ./usr/share/icons/hicolor/32x32/apps/$id.png \
         ./usr/share/doc/quillomat/copyright ./usr/share/man/man1/nevnap.1.gz \
         ./usr/share/man/man1/quillomat.1.gz; do
    grep -qx "$f" <<<"$contents" || fail "the package lacks $f"
done
! grep -q '^./usr/local' <<<"$contents" || fail "the package installs into /usr/local"
echo "package contents and control data: ok"

root="$work/root"
dpkg-deb -x "$deb" "$root" || fail "the package does not unpack"
[ "$("$root/usr/bin/nevnap" Zoltán | head -1)" = "március 8. június 23." ] || fail "the packaged nevnap"
"$root/usr/bin/quillomat" --version | grep -q "Quillomat $(dpkg-deb -f "$deb" Version)" \
    || fail "the packaged quillomat"
echo "packaged commands run: ok"

# No binary made here looks for libraries in the current folder: no empty or relative run path.
check_runpath() { # binary
    local path
    path=$(readelf -d "$1" 2>/dev/null | sed -n 's/.*R\(UN\)\?PATH.*\[\(.*\)\]/\2/p')
    [ -z "$path" ] && return 0
    IFS=: read -r -a entries <<<"$path:"
    for e in "${entries[@]}"; do
        case "$e" in
            /*|'$ORIGIN'*) ;;
            *) fail "$1 has the run path [$path]: the loader would search the current folder" ;;
        esac
    done
    [[ "$path" != *:: && "$path" != :* && "$path" != *: ]] || fail "$1 has an empty run path entry: [$path]"
}
for b in "$build"/bin/quillomat "$build"/bin/nevnap "$build"/bin/barewindow \
         "$prefix"/lib/quillomat/quillomat "$prefix"/lib/quillomat/nevnap \
         "$root"/usr/lib/quillomat/quillomat "$root"/usr/lib/quillomat/nevnap \
         "$build"/bin/*.so; do
    [ -e "$b" ] && check_runpath "$b"
done
echo "run paths: ok"
