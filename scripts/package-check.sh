#!/usr/bin/env bash
# Builds the Debian package from a Release build of its own and checks what users get:
# the file layout, the unpacked program running from its own tree (a message extracted,
# a command from a private library, the desktop program started offscreen), the desktop
# entry, and lintian. Run after scripts/test-all.sh; the tests are not built again.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

build=build/package
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
started=$SECONDS
fail() { echo "package-check: $*" >&2; exit 1; }

rm -f "$build"/mailvane_*.deb
cmake --workflow --preset package
cache() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
version=$(cache CMAKE_PROJECT_VERSION)
deb=$(ls "$build"/mailvane_"$version"_*.deb)
echo "=== $deb"

# The layout: only the program in bin/, its libraries and plug-ins in a private folder.
listing=$(dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|')
private=/usr/$(cache CMAKE_INSTALL_LIBDIR)/mailvane
for path in /usr/bin/mailvane \
    $private/libmailvane_desktop.so $private/libmailvane_settingsaccess.so \
    $private/libmailvane_command_index.so $private/libmailvane_command_store.so \
    $private/plugin/libFetchvane.so $private/plugin/libNewswatch.so \
    $private/plugin/libToolbench.so \
    /usr/share/applications/mailvane.desktop /usr/share/mime/packages/mailvane.xml \
    /usr/share/icons/hicolor/48x48/apps/mailvane.png \
    /usr/share/icons/hicolor/256x256/apps/mailvane.png \
    /usr/share/man/man1/mailvane.1.gz /usr/share/doc/mailvane/copyright \
    /usr/share/lintian/overrides/mailvane; do
  grep -qx "$path" <<<"$listing" || fail "$path is not in the package"
done
stray=$(grep -v -e '/$' -e '^/usr/bin/mailvane$' -e "^$private/" -e '^/usr/share/' <<<"$listing" || true)
[ -z "$stray" ] || fail "unexpected files in the package: $stray"
[[ "$(dpkg-deb -f "$deb" Depends)" == *libqt6widgets6* ]] || fail "no Qt dependency was computed"
# No maintainer scripts: with a postrm, `apt remove` would keep the package's record.
dpkg-deb -e "$deb" "$scratch/control"
[ "$(ls "$scratch/control")" = "$(printf 'control\nmd5sums')" ] ||
  fail "unexpected control files: $(ls "$scratch/control" | tr '\n' ' ')"

# The unpacked tree runs where it lies: no path of the build is needed. Its runs get a
# home of their own, so no setting or cache of the user is read or written.
root=$scratch/root
dpkg-deb -x "$deb" "$root"
home=(env -u XDG_CONFIG_HOME -u XDG_CACHE_HOME -u XDG_DATA_HOME HOME="$scratch/home")
staged() { "${home[@]}" "$root/usr/bin/mailvane" "$@"; }
[ "$(staged --version)" = "mailvane $version" ] || fail "mailvane --version"
staged extract -o "$scratch/out" tests/data/cli/oe-html-mail.eml
[ "$(find "$scratch/out" -type f | wc -l)" -ge 2 ] || fail "extract wrote no files"
# index runs from a private library.
staged index update --db "$scratch/index.sqlite" tests/data/cli >/dev/null
[ -n "$(staged index search --db "$scratch/index.sqlite")" ] || fail "index found nothing"
# So does the desktop program, which keeps running until it is stopped.
status=0
timeout 15 "${home[@]}" QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1 \
  "$root/usr/bin/mailvane" >"$scratch/desktop.log" 2>&1 || status=$?
[ "$status" -eq 124 ] || { cat "$scratch/desktop.log" >&2; fail "the desktop program ended ($status)"; }

if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$root/usr/share/applications/mailvane.desktop"
fi
if command -v lintian >/dev/null; then
  lintian --fail-on error "$deb"
fi
echo "package-check: $deb is fine ($((SECONDS - started)) s)"
