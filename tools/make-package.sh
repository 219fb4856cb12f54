#!/usr/bin/env bash
# Builds the Debian package in one command and checks it with lintian:
#   bash tools/make-package.sh [BUILD_FOLDER]   (default build-pkg)
# The package lands in the build folder as metrovane_VERSION_ARCH.deb.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
build="${1:-build-pkg}"

# Debian's hardening flags, as a package build of the distribution uses them.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
ldflags="$(dpkg-buildflags --get LDFLAGS)"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DMV_BUILD_TESTS=OFF -DMV_BUILD_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" \
  -DCMAKE_SHARED_LINKER_FLAGS="$ldflags" -DCMAKE_MODULE_LINKER_FLAGS="$ldflags"
cmake --build "$build" -j"$(nproc)"
rm -f "$build"/metrovane_*.deb
(cd "$build" && cpack -G DEB)
package="$(ls "$build"/metrovane_*.deb)"
echo "Package: $package"
# Errors fail the script; warnings and notes are shown.
lintian --info --display-info "$package"
