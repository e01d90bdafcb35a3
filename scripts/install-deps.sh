#!/usr/bin/env bash
# Installs the Debian 12 packages Tessarin needs to build, test, fuzz and benchmark.
# Idempotent: packages already present are left alone. Needs root or sudo.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libcli11-dev
  clang libclang-rt-14-dev
  qt6-base-dev qt6-charts-dev qt6-svg-dev libqt6opengl6-dev libgl1-mesa-dev libglu1-mesa-dev
  qt6-translations-l10n
  xvfb xauth
  locales
  python3 python3-jsonschema
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi

if [ ${#missing[@]} -ne 0 ]; then
  echo "Installing: ${missing[*]}"
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The tests also run under a locale whose decimal separator is the comma.
if ! locale -a 2>/dev/null | grep -qi '^ru_RU\.utf-\?8$'; then
  echo "Generating the ru_RU.UTF-8 locale"
  "${sudo_cmd[@]}" sed -i 's/^# *ru_RU.UTF-8 UTF-8/ru_RU.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^ru_RU.UTF-8 UTF-8' /etc/locale.gen || echo 'ru_RU.UTF-8 UTF-8' | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
  "${sudo_cmd[@]}" locale-gen >/dev/null
fi
