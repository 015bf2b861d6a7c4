#!/usr/bin/env bash
# Installs the Debian packages Tavrin needs, asking apt-get only for those that
# are missing, so a second run costs a few dpkg queries.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  libgtest-dev
  libcli11-dev libpng-dev nlohmann-json3-dev
  liblz4-dev libarchive-dev
  pasmo sdcc
  libsdl2-dev libgtk-3-dev
  retroarch-dev
  xvfb xauth libx11-dev libxtst-dev openbox
  desktop-file-utils appstream groff-base shared-mime-info dpkg-dev
  clang libclang-rt-14-dev
  gettext locales libc-l10n
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The language tests run under English and French locales.
locales=$(locale -a 2>/dev/null || true)
if ! grep -qix 'fr_FR.utf8' <<<"$locales" || ! grep -qix 'en_US.utf8' <<<"$locales"; then
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  $sudo sed -i -E 's/^# *((en_US|fr_FR)\.UTF-8 UTF-8)/\1/' /etc/locale.gen
  $sudo locale-gen
fi
