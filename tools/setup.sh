#!/usr/bin/env bash
# Installs every Debian package needed to build, run and test Lumenfold.
# Idempotent: packages already present are left alone, and apt is only
# consulted when something is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev libgl-dev
  qt6-qpa-plugins
  libcpp-httplib-dev libgtest-dev libgmock-dev
  fonts-dejavu-core
  xvfb xauth x11-utils xdotool wmctrl imagemagick openbox
  iproute2 procps libmnl-dev
  desktop-file-utils appstream dpkg-dev fakeroot file xdg-utils lintian man-db
  libgif-dev libjpeg-dev python3-fonttools
  hyperfine libxcb1-dev libfontconfig-dev
  dbus-daemon libglib2.0-bin at-spi2-core orca pulseaudio
  libwayland-dev qt6-wayland weston xwayland qt6-base-private-dev wayland-protocols
  qt6-gtk-platformtheme gnome-themes-extra
  clang-format clang-tidy
  libproxy-dev
  clang-14 libfuzzer-14-dev libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
