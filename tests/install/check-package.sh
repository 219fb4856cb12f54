#!/usr/bin/env bash
# Builds the Debian package from a finished build folder and checks it as a
# clean root would receive it: control fields, the file list, and the
# programs and the Python module run from the unpacked tree.
#   check-package.sh BUILD_FOLDER VERSION SOURCE_FOLDER
# Exit 77 (skipped) where dpkg-deb is missing.
set -euo pipefail
build="$1" version="$2" source="$3"
command -v dpkg-deb >/dev/null || { echo "dpkg-deb missing: skipped"; exit 77; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$work/pkg" >"$work/cpack.log") || { cat "$work/cpack.log"; fail "cpack"; }
deb="$(ls "$work"/pkg/metrovane_"$version"_*.deb)"

[ "$(dpkg-deb -f "$deb" Package)" = metrovane ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "version"
depends="$(dpkg-deb -f "$deb" Depends)"
for needed in libc6 libstdc++6 libfreetype6 libfontconfig1 libqt6widgets6 qt6-qpa-plugins; do
  [[ ", $depends," == *", $needed "* || ", $depends," == *", $needed,"* ]] || fail "Depends lacks $needed: $depends"
done
[ -n "$(dpkg-deb -f "$deb" Maintainer)" ] || fail "no maintainer"

# Every file the package must hold, and nothing outside /usr.
dpkg-deb -c "$deb" | awk '{ print $NF }' | sed 's|^\./||' | grep -v '/$' | sort >"$work/files"
expected=(
  usr/bin/metrovane
  usr/bin/metrovane-gui
  "usr/lib/python3/dist-packages/metrovane.cpython-*.so"
  usr/share/applications/metrovane-gui.desktop
  usr/share/icons/hicolor/scalable/apps/metrovane.svg
  usr/share/man/man1/metrovane.1.gz
  usr/share/man/man1/metrovane-gui.1.gz
  usr/share/bash-completion/completions/metrovane
  usr/share/bash-completion/completions/metrovane-gui
  usr/share/zsh/vendor-completions/_metrovane
  usr/share/doc/metrovane/copyright
  usr/share/doc/metrovane/changelog.gz
)
for mime in "$source"/src/gui/desktop/*.xml; do
  [ -e "$mime" ] && expected+=("usr/share/mime/packages/$(basename "$mime")")
done
for pattern in "${expected[@]}"; do
  grep -qx "${pattern//\*/.*}" "$work/files" || fail "missing $pattern in: $(cat "$work/files")"
done
[ "$(wc -l <"$work/files")" -eq "${#expected[@]}" ] || fail "unexpected files: $(cat "$work/files")"

root="$work/root"
dpkg-deb -x "$deb" "$root"
[ "$("$root/usr/bin/metrovane" --version)" = "metrovane $version" ] || fail "metrovane --version"
[ "$("$root/usr/bin/metrovane-gui" --version)" = "metrovane-gui $version" ] || fail "metrovane-gui --version"
example="$source/examples/curves.emf"
"$root/usr/bin/metrovane" convert -q -o "$work/packaged" "$example"
"$build/metrovane" convert -q -o "$work/built" "$example"
cmp "$work/packaged/curves.dxf" "$work/built/curves.dxf" || fail "packaged program converts differently"
for page in metrovane metrovane-gui; do
  gzip -t "$root/usr/share/man/man1/$page.1.gz" || fail "man page $page"
done
if command -v python3 >/dev/null; then
  PYTHONPATH="$root/usr/lib/python3/dist-packages" python3 -c "
import metrovane, sys
assert metrovane.__file__.startswith('$root'), metrovane.__file__
assert metrovane.__version__ == '$version', metrovane.__version__
assert metrovane.convert(open('$example', 'rb').read()) == open('$work/built/curves.dxf', 'rb').read()
" || fail "python module"
fi
echo "package $(basename "$deb") passed: $(wc -l <"$work/files") files"
