#!/usr/bin/env bash
# Would a fresh machine build what this one built? Lists the Debian packages that own the headers and
# libraries a build of the project used, and names each one that neither the bare machine image has
# (base-image-packages.txt beside this script) nor scripts/install-deps.sh installs (with its dependencies).
# Usage, from the project's root after a build: .ci/fresh-machine-deps.sh [BUILD_DIR...]
# Exits 1 when it names a package, so CI fails on a missing install step.
set -u
here=$(cd "$(dirname "$0")" && pwd)
dirs=("$@"); [ ${#dirs[@]} -gt 0 ] || mapfile -t dirs < <(find build -maxdepth 2 -name build.ninja -printf '%h\n' 2>/dev/null)
[ ${#dirs[@]} -gt 0 ] || { echo "   no build folder with build.ninja found"; exit 0; }
files=$(for d in "${dirs[@]}"; do
  ninja -C "$d" -t deps 2>/dev/null | awk '/^    \//{print $1}'
  grep -h -o -E '(/usr)?/lib/[^ ]+\.(so|a)[.0-9]*|-l[A-Za-z0-9_+.-]+' "$d/build.ninja" 2>/dev/null
done | sort -u)
paths=$(for f in $files; do
  case "$f" in
    -l*) n=${f#-l}; for p in /usr/lib/x86_64-linux-gnu/lib$n.so /usr/lib/lib$n.so; do [ -e "$p" ] && readlink -f "$p" && break; done ;;
    /usr/*|/lib/*) readlink -f "$f" ;;
  esac
done | sort -u)
[ -n "$paths" ] || { echo "   nothing to check (build first)"; exit 0; }
owners=$(printf '%s\n' $paths | xargs -r dpkg -S 2>/dev/null | cut -d: -f1 | tr ',' '\n' | sed 's/ //g' | sort -u)
wanted=$(sed -n '/packages=(/,/)/p' scripts/install-deps.sh 2>/dev/null | tr -d '()' | sed 's/packages=//' | tr ' ' '\n' | grep -E '^[a-z0-9]' | sort -u)
have=$( { cat "$here/base-image-packages.txt"; printf '%s\n' $wanted;
          [ -n "$wanted" ] && apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks \
            --no-replaces --no-enhances $wanted 2>/dev/null | grep -v -E '^ |<' ; } | sed 's/:amd64$//' | sort -u)
missing=$(comm -23 <(printf '%s\n' $owners | sed 's/:amd64$//' | sort -u) <(printf '%s\n' $have))
if [ -z "$missing" ]; then echo "   every package the build used is on a bare machine or installed by scripts/install-deps.sh"
else echo "   used by the build but neither on a bare machine nor installed by scripts/install-deps.sh:"; printf '     %s\n' $missing; exit 1; fi
