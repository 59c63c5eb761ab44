#!/bin/sh
# check_install.sh CMAKE CPACK BUILD_DIR WORK_DIR APP_ID VERSION
set -eu
cmake=$1 cpack=$2 build=$3 work=$4 id=$5 version=$6

fail() { echo "FAIL: $*" >&2; exit 1; }
rm -rf "$work"
mkdir -p "$work/home"
stage=$work/stage/usr
"$cmake" --install "$build" --prefix "$stage" >/dev/null

share=$stage/share
for f in bin/fenwarda "share/applications/$id.desktop" "share/metainfo/$id.metainfo.xml" \
         "share/icons/hicolor/scalable/apps/$id.svg" share/man/man1/fenwarda.1.gz \
         share/doc/fenwarda/copyright share/doc/fenwarda/changelog.gz; do
    [ -f "$stage/$f" ] || fail "not installed: $f"
done
# Each PNG is as wide and high as its folder says (IHDR, big-endian).
for size in 16 24 32 48 64 128 256; do
    png=$share/icons/hicolor/${size}x${size}/apps/$id.png
    [ -f "$png" ] || fail "not installed: $png"
    dims=$(od -An -tu1 -j16 -N8 "$png" | awk '{ print $3 * 256 + $4 "x" $7 * 256 + $8 }')
    [ "$dims" = "${size}x${size}" ] || fail "$png is $dims"
done

out=$(desktop-file-validate "$share/applications/$id.desktop" 2>&1) || fail "desktop entry: $out"
[ -z "$out" ] || fail "desktop entry: $out"
appstreamcli validate --no-net --strict "$share/metainfo/$id.metainfo.xml" >"$work/appstream.txt" 2>&1 ||
    fail "metainfo: $(cat "$work/appstream.txt")"

# The terminal answers need no window system; the installed copy's data goes
# to the per-user folder even though root may write to its own folder.
answer=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u XDG_DATA_HOME HOME="$work/home" \
    "$stage/bin/fenwarda" --version) || fail "--version exited $?"
[ "$answer" = "Fenwarda de Vídeo $version" ] || fail "--version said: $answer"
help=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u XDG_DATA_HOME HOME="$work/home" \
    "$stage/bin/fenwarda" --help) || fail "--help exited $?"
echo "$help" | grep -qx "Arquivo de dados: $work/home/.local/share/Fenwarda/Fenwaurda.mdb" ||
    fail "installed --help said: $help"
if env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$stage/bin/fenwarda" --bogus >"$work/out.txt" 2>"$work/err.txt"; then
    fail "--bogus exited 0"
else
    status=$?
fi
[ "$status" = 2 ] || fail "--bogus exited $status: $(cat "$work/err.txt")"
[ -s "$work/out.txt" ] && fail "--bogus wrote to stdout: $(cat "$work/out.txt")"
grep -q -- "--help" "$work/err.txt" || fail "--bogus said: $(cat "$work/err.txt")"
help=$(env -u DISPLAY -u QT_QPA_PLATFORM "$build/bin/fenwarda" --help)
echo "$help" | grep -qx "Arquivo de dados: $build/bin/Fenwaurda.mdb" || fail "build --help said: $help"

# The package: the installed files under /usr, and run-time packages only.
(cd "$work" && "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work/pkg" >"$work/cpack.txt" 2>&1) ||
    fail "cpack: $(cat "$work/cpack.txt")"
deb=$(ls "$work"/pkg/*.deb)
dpkg-deb -c "$deb" | awk '{ print $6 }' >"$work/files.txt"
(cd "$work/stage" && find . -type f | sort) >"$work/staged.txt"
grep '[^/]$' "$work/files.txt" | sort | diff -u "$work/staged.txt" - || fail "package files differ from the install"
[ "$(dpkg-deb -f "$deb" Package Version)" = "Package: fenwarda
Version: $version" ] || fail "control: $(dpkg-deb -f "$deb" Package Version)"
depends=$(dpkg-deb -f "$deb" Depends)
for p in libqt6widgets6 libqt6sql6 libqt6sql6-sqlite libqt6sql6-psql libpq5 libsqlite3-0 qt6-qpa-plugins \
         qt6-translations-l10n fonts-liberation; do
    echo "$depends" | tr ',' '\n' | grep -q "^ *$p\( \|$\)" || fail "no $p in Depends: $depends"
done
case $depends in *-dev*) fail "build package in Depends: $depends" ;; esac

# The manual page names every option of --help.
man=$(zcat "$stage/share/man/man1/fenwarda.1.gz")
for option in '\\-h' '\\-\\-help' '\\-v' '\\-\\-version' '\\-\\-servidor' '\\-\\-copiar\\-para\\-servidor'; do
    echo "$man" | grep -q -- "$option" || fail "manual page lacks $option"
done
# Relocations read-only and bound at start.
readelf -d "$stage/bin/fenwarda" | grep -q 'BIND_NOW' || fail "not linked with -z now"
readelf -lW "$stage/bin/fenwarda" | grep -q 'GNU_RELRO' || fail "not linked with -z relro"
# Debian's own checks find no error and no warning. (Its notes may differ
# between builds: the sanitizer build is not optimized, so not fortified.)
lintian --info "$deb" >"$work/lintian.txt" 2>&1 || fail "lintian: $(cat "$work/lintian.txt")"
grep -E '^[EW]: ' "$work/lintian.txt" && fail "lintian: $(cat "$work/lintian.txt")"
echo "install and package checked: $deb"
