#!/usr/bin/env bash
# Builds the Debian package from a built tree, unpacks it into a scratch
# root and checks what a desktop needs of it: the program under both names,
# a valid menu entry whose command and icon are in the package, a valid
# AppStream description, the run-time dependencies, the manual page under
# both names, that lintian finds nothing to warn about, and that the
# unpacked program starts and stays up.
#
#   package_test.sh BUILD_DIR
set -uo pipefail
build="${1:?usage: package_test.sh BUILD_DIR}"
app_id=net.lumenfold.Lumenfold
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check() { local what="$1"; shift; "$@" || fail "$what"; }

for tool in cpack dpkg-deb desktop-file-validate appstreamcli file lintian man; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed (tools/setup.sh installs it)"; exit 77; }
done

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

# The package, made in a folder of its own so the build tree stays as it was.
if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1; then
  cat "$scratch/cpack.log"; echo "FAIL: cpack"; exit 1
fi
deb="$(ls "$scratch"/out/lumenfold_1.5_*.deb 2>/dev/null | head -1)"
[ -f "$deb" ] || { echo "FAIL: no lumenfold_1.5_*.deb made"; exit 1; }

check "package name" test "$(dpkg-deb -f "$deb" Package)" = lumenfold
check "package version" test "$(dpkg-deb -f "$deb" Version)" = 1.5
depends="$(dpkg-deb -f "$deb" Depends)"
for needed in libqt6widgets6 libqt6gui6 libqt6core6 libqt6network6 libfontconfig1 libxcb1 libwayland-client0 xdg-utils; do
  [[ ", $depends" == *", $needed"[\ ,]* || ", $depends" == *", $needed" ]] || fail "Depends lacks $needed: $depends"
done
# Without an X display, the window goes to Wayland through Qt's plug-in.
check "qt6-wayland recommended" test "$(dpkg-deb -f "$deb" Recommends)" = qt6-wayland
# The digital font is compiled in: no font package stands in for it.
[[ "$depends" != *fonts-dseg* ]] || fail "Depends still names fonts-dseg: $depends"

root="$scratch/root"
dpkg-deb -x "$deb" "$root" || { echo "FAIL: dpkg-deb -x"; exit 1; }
bin="$root/usr/bin"
check "the program under its own name" test -x "$bin/Lumenfold 1.5"
check "file type of the program" sh -c "file -b '$bin/Lumenfold 1.5' | grep -q ELF"
check "lumenfold is a link" test -L "$bin/lumenfold"
check "lumenfold leads to the program" test "$(readlink -f "$bin/lumenfold")" = "$(readlink -f "$bin/Lumenfold 1.5")"

# Debian's own check: no error and no warning, and among the notes no
# hardening tag and no needless section.
# BIND_NOW is Debian's opt-in and left out: it costs start-up time.
lintian_log="$scratch/lintian.log"
if ! lintian -I --fail-on error,warning --tag-display-limit 0 "$deb" >"$lintian_log" 2>&1 ||
   grep -q '^[EW]: ' "$lintian_log"; then
  fail "lintian: $(grep -v 'running with root privileges' "$lintian_log")"
fi
hardened=1
grep -q '^LUMENFOLD_SANITIZE:BOOL=ON' "$build/CMakeCache.txt" && hardened=0
grep -q '^LUMENFOLD_TSAN:BOOL=ON' "$build/CMakeCache.txt" && hardened=0
grep -q '^LUMENFOLD_HARDEN:BOOL=OFF' "$build/CMakeCache.txt" && hardened=0
if [ "$hardened" = 1 ]; then
  tags="$(grep -E '^I: .*(hardening-|binary-has-unneeded-section)' "$lintian_log" | grep -v 'hardening-no-bindnow')"
  check "lintian notes no hardening gap: $tags" test -z "$tags"
  # lintian sees fortified calls only where the compiler left one to check;
  # every product source must be compiled with the flags all the same.
  unhardened="$(grep -oE '"command": "[^"]*/(app|probes|adapters|toolkit|platform/linux)/[^ "]*\.cpp"' \
    "$build/compile_commands.json" | grep -v -e '-D_FORTIFY_SOURCE=2 .*-fstack-protector-strong' | grep -oE '[^ ]*\.cpp"$')"
  check "product sources built without _FORTIFY_SOURCE=2 and the stack protector: $unhardened" test -z "$unhardened"
fi
check "the compiler's .comment section is stripped" \
  sh -c "! readelf -S '$bin/Lumenfold 1.5' | grep -q '\.comment'"

man1="$root/usr/share/man/man1"
check "manual page installed" test -f "$man1/lumenfold.1.gz"
check "manual page under the program's own name" \
  test "$(readlink -f "$man1/Lumenfold 1.5.1.gz")" = "$(readlink -f "$man1/lumenfold.1.gz")"
man_warnings="$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$man1/lumenfold.1.gz" 2>&1 >/dev/null)"
check "manual page formats without a warning: $man_warnings" test -z "$man_warnings"
for section in NAME SYNOPSIS DESCRIPTION ENVIRONMENT FILES; do
  check "manual page has $section" sh -c "zcat '$man1/lumenfold.1.gz' | grep -q '^\.SH $section'"
done
doc="$root/usr/share/doc/lumenfold"
check "copyright names the project's licence" grep -q '^License: LicenseRef-proprietary' "$doc/copyright"
zcat "$doc/changelog.gz" >"$scratch/changelog"
check "changelog entry is this version" \
  test "$(dpkg-parsechangelog -l "$scratch/changelog" -S Version)" = "$(dpkg-deb -f "$deb" Version)"

desktop="$root/usr/share/applications/$app_id.desktop"
metainfo="$root/usr/share/metainfo/$app_id.metainfo.xml"
check "desktop entry installed" test -f "$desktop"
check "desktop entry valid" desktop-file-validate "$desktop"
key() { sed -n "s/^$1=//p" "$desktop" | head -1; }
check "menu command is in the package" test -x "$bin/$(key Exec | cut -d' ' -f1)"
check "StartupNotify" test "$(key StartupNotify)" = true
check "categories" sh -c "echo '$(key Categories)' | grep -q '^Network;Utility;'"
icon="$(key Icon)"
check "icon name" test "$icon" = "$app_id"
for size in 16 22 24 32 48 64 128 256; do
  png="$root/usr/share/icons/hicolor/${size}x${size}/apps/$icon.png"
  if [ -f "$png" ]; then
    file -b "$png" | grep -q "PNG image data, $size x $size" || fail "$png is not a $size x $size PNG"
  else
    fail "no ${size}x${size} icon"
  fi
done

check "metainfo installed" test -f "$metainfo"
check "metainfo valid" appstreamcli validate --no-net --explain "$metainfo"
check "metainfo launches the desktop entry" grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo"
check "metainfo id" grep -q "<id>$app_id</id>" "$metainfo"

# Every library the program needs is found on this system.
if ldd "$bin/Lumenfold 1.5" | grep -q "not found"; then
  fail "unresolved libraries: $(ldd "$bin/Lumenfold 1.5" | grep 'not found')"
fi

# The unpacked program starts and stays up through its gathering, offscreen
# and in a network namespace of its own with nothing in it, so that its web
# requests fail at once and reach nobody. Without root the namespace comes
# with a user namespace of its own, where the kernel allows that.
isolate=()
if unshare -n true 2>/dev/null; then
  isolate=(unshare -n)
elif unshare -r -n true 2>/dev/null; then
  isolate=(unshare -r -n)
fi
if [ ${#isolate[@]} -gt 0 ]; then
  QT_QPA_PLATFORM=offscreen "${isolate[@]}" "$bin/lumenfold" >"$scratch/run.log" 2>&1 &
  pid=$!
  sleep 4
  if kill -0 "$pid" 2>/dev/null; then
    kill "$pid"; wait "$pid" 2>/dev/null
  else
    wait "$pid"; fail "the installed program ended early (status $?): $(cat "$scratch/run.log")"
  fi
elif [ "${LUMENFOLD_REQUIRE_NETNS:-}" = 1 ]; then
  fail "no network namespace here, required by LUMENFOLD_REQUIRE_NETNS; the installed program was not started"
else
  echo "note: no network namespace here (needs root or user namespaces); the installed program was not started"
fi

if [ "$failures" -gt 0 ]; then echo "$failures check(s) failed"; exit 1; fi
echo "package $(basename "$deb") passes"
