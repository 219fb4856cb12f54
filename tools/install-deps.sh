#!/usr/bin/env bash
# Installs the Debian 12 packages that building and testing need; only what
# is missing, so a machine that has everything is not touched. --fuzz adds
# clang and its libFuzzer for tools/fuzz.sh.
set -euo pipefail
packages=(build-essential cmake pkg-config clang-format
  libgtest-dev libgmock-dev googletest libbenchmark-dev libcli11-dev
  libfreetype-dev libfontconfig-dev libpng-dev fontconfig fonts-dejavu-core fonts-liberation
  qt6-base-dev qt6-translations-l10n python3 python3-ezdxf xvfb xauth locales
  python3-dev pybind11-dev python3-pybind11 python3-distributed
  dpkg-dev file lintian groff-base groff mandoc bash bash-completion zsh)
if [ "${1:-}" = "--fuzz" ]; then
  packages+=(clang libclang-rt-14-dev)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y --no-install-recommends "${missing[@]}"
fi
# A German locale lets the tests prove that numbers never follow the locale.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf8$'; then
  sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen
fi
