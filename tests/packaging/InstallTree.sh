#!/bin/sh
# Installs the build into a scratch root and checks what the desktop will
# read there: every file in place, the launcher, metadata, manual page and
# MIME package valid, and the names that tie them together consistent.
# Usage: InstallTree.sh BUILD_DIR VERSION. Exit 77 (skipped) when every check
# that could run passed but a validator is not installed.
set -u
build=$1 version=$2
id=io.github.tavrin.Tavrin
root=$(mktemp -d) && trap 'rm -rf "$root"' EXIT
failed=0 missing=""
fail() { echo "FAIL: $*"; failed=1; }
have() { command -v "$1" >/dev/null 2>&1 || { missing="$missing $1"; return 1; }; }

DESTDIR="$root" cmake --install "$build" --prefix /usr >/dev/null || { echo "FAIL: cmake --install"; exit 1; }
usr=$root/usr share=$root/usr/share

for file in bin/tavrin bin/tavrin-headless share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
    share/mime/packages/$id.xml share/man/man6/tavrin.6.gz share/icons/hicolor/scalable/apps/$id.svg \
    share/locale/en/LC_MESSAGES/tavrin.mo share/locale/fr/LC_MESSAGES/tavrin.mo; do
  [ -f "$usr/$file" ] || fail "missing $file"
done
for size in 16 32 48 64 128 256; do
  icon=$share/icons/hicolor/${size}x$size/apps/$id.png
  # A PNG's width and height are big-endian words at bytes 16 and 20.
  [ "$(od -An --endian=big -tu4 -j16 -N8 "$icon" 2>/dev/null | tr -s ' ')" = " $size $size" ] ||
    fail "$icon is not a ${size} x $size PNG"
done

desktop=$share/applications/$id.desktop
entry() { sed -n "s/^$1=//p" "$desktop"; }
[ "$(entry Icon)" = "$id" ] || fail "desktop Icon is not $id"
[ "$(entry Exec)" = "tavrin %f" ] || fail "desktop Exec is not 'tavrin %f'"
for type in $(entry MimeType | tr ';' ' '); do
  grep -q "type=\"$type\"" "$share/mime/packages/$id.xml" || fail "desktop MimeType $type not in the MIME package"
done
metainfo=$share/metainfo/$id.metainfo.xml
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" || fail "metainfo launchable"
grep -q "<release version=\"$version\"" "$metainfo" || fail "metainfo has no release $version"
[ "$("$usr/bin/tavrin" --version)" = "tavrin $version" ] || fail "installed tavrin --version is not $version"
# The headless program runs where no display, sound or toolkit library is.
if objdump -p "$usr/bin/tavrin-headless" | grep -E "NEEDED +lib(SDL|gtk|gdk|X11|asound|pulse)"; then
  fail "tavrin-headless needs a windowing, sound or toolkit library"
fi
# The licence, where each reader looks for it.
grep -q "<project_license>MIT</project_license>" "$metainfo" || fail "metainfo project_license is not MIT"
copyright=$share/doc/tavrin/copyright
grep -qx "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" "$copyright" 2>/dev/null ||
  fail "missing share/doc/tavrin/copyright in the machine-readable format"
[ "$(sed -n 's/^License: //p' "$copyright" 2>/dev/null | sort -u)" = "MIT" ] || fail "copyright does not say License: MIT"

# The libretro core, where built: the module where Debian's RetroArch looks
# for cores and its information file naming this version.
if [ -f "$build/src/libretro/tavrin_libretro.so" ]; then
  ls "$usr"/lib/*/libretro/tavrin_libretro.so "$usr"/lib/libretro/tavrin_libretro.so 2>/dev/null | grep -q . ||
    fail "missing lib/.../libretro/tavrin_libretro.so"
  grep -qx "display_version = \"$version\"" "$share/libretro/info/tavrin_libretro.info" 2>/dev/null ||
    fail "share/libretro/info/tavrin_libretro.info missing or not version $version"
  grep -qx 'license = "MIT"' "$share/libretro/info/tavrin_libretro.info" 2>/dev/null || fail "libretro info licence is not MIT"
fi

if have desktop-file-validate; then
  desktop-file-validate "$desktop" || fail "desktop-file-validate"
fi
if have appstreamcli; then
  appstreamcli validate --no-net "$metainfo" >"$root/as.log" 2>&1 || { cat "$root/as.log"; fail "appstreamcli validate"; }
fi
if have groff; then
  warnings=$(zcat "$share/man/man6/tavrin.6.gz" | LC_ALL=C.UTF-8 groff -t -man -Tutf8 -ww -z 2>&1)
  [ -z "$warnings" ] || fail "groff: $warnings"
fi
if have update-mime-database; then
  cp -r "$share/mime" "$root/mime"
  update-mime-database "$root/mime" 2>"$root/mime.log" || { cat "$root/mime.log"; fail "update-mime-database"; }
  for glob in "application/x-sms-rom:\*.sms" "application/x-gamegear-rom:\*.gg" "application/x-sg1000-rom:\*.sg" \
              "application/x-sc3000-rom:\*.sc"; do
    grep -q ":$glob\$" "$root/mime/globs2" || fail "MIME database lacks $glob"
  done
fi

[ "$failed" = 0 ] || exit 1
[ -z "$missing" ] || { echo "skipped checks, not installed:$missing"; exit 77; }
echo "installed tree OK"
