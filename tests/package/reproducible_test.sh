#!/usr/bin/env bash
# Builds the package twice from this source tree, in two build folders of
# different names and depths, at different times, and checks that the two
# .deb files are byte for byte the same. On a difference it names the
# files inside that differ.
#
#   reproducible_test.sh SOURCE_DIR
set -uo pipefail
source_dir="${1:?usage: reproducible_test.sh SOURCE_DIR}"
for tool in cmake cpack dpkg-deb cmp; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed (tools/setup.sh installs it)"; exit 77; }
done
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
# The caller's own choice of time would hide a time stamp in the build, and
# a compiler launcher such as ccache with a base_dir rewrites source paths
# relative to each build folder: build as a packager does, without either.
unset SOURCE_DATE_EPOCH CMAKE_CXX_COMPILER_LAUNCHER

build_package() {
  local build="$1" out="$2"
  local log="$scratch/$(basename "$build").log"
  mkdir -p "$build"
  cmake -S "$source_dir" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DLUMENFOLD_TESTS=OFF -DLUMENFOLD_BENCH=OFF -DCMAKE_CXX_COMPILER_LAUNCHER= >"$log" 2>&1 &&
    cmake --build "$build" --target lumenfold package_docs >>"$log" 2>&1 &&
    cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >>"$log" 2>&1 ||
    { cat "$log"; echo "FAIL: building in $build"; exit 1; }
}
build_package "$scratch/a" "$scratch/out-a"
sleep 1  # so that any time stamp taken from the clock differs
build_package "$scratch/second/build-b" "$scratch/out-b"

deb_a="$(ls "$scratch"/out-a/*.deb)"
deb_b="$(ls "$scratch"/out-b/*.deb)"
if cmp -s "$deb_a" "$deb_b"; then
  echo "two builds give the same $(basename "$deb_a") ($(sha256sum <"$deb_a" | cut -c1-16))"
  exit 0
fi
echo "FAIL: two builds of one source give different packages"
for part in a b; do
  mkdir -p "$scratch/x-$part"
  deb="$scratch/out-$part/$(basename "$deb_a")"
  dpkg-deb -R "$deb" "$scratch/x-$part"
  dpkg-deb -c "$deb" >"$scratch/list-$part"
done
diff "$scratch/list-a" "$scratch/list-b"
diff -rq "$scratch/x-a" "$scratch/x-b"
exit 1
