# Sourced by ./run and ./test: installs what the build lacks, configures and
# builds, and prepares a private Wine prefix inside the build folder.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${SWFZEL_BUILD_DIR:-$ROOT/build}"
case "$BUILD" in /*) ;; *) BUILD="$ROOT/$BUILD" ;; esac

need_pkgs=()
command -v x86_64-w64-mingw32-g++-posix >/dev/null || need_pkgs+=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64)
[ -f /usr/x86_64-w64-mingw32/lib/libz.a ] || need_pkgs+=(libz-mingw-w64-dev)
[ -x /usr/lib/wine/wine64 ] || need_pkgs+=(wine64 wine)
command -v xvfb-run >/dev/null || need_pkgs+=(xvfb xauth)
command -v cmake >/dev/null || need_pkgs+=(cmake)
[ -f /usr/src/googletest/CMakeLists.txt ] || need_pkgs+=(googletest)
# Wine's H.264 decoder (Media Foundation) runs on GStreamer: the parser, the
# decoder and the colour conversion.
GST=/usr/lib/x86_64-linux-gnu/gstreamer-1.0
[ -f $GST/libgstlibav.so ] || need_pkgs+=(gstreamer1.0-libav)
[ -f $GST/libgstvideoparsersbad.so ] || need_pkgs+=(gstreamer1.0-plugins-bad)
[ -f $GST/libgstvideoconvertscale.so ] || need_pkgs+=(gstreamer1.0-plugins-base)
if [ ${#need_pkgs[@]} -gt 0 ]; then
  echo "Installing: ${need_pkgs[*]}"
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${need_pkgs[@]}" >/dev/null
fi

export WINE64=/usr/lib/wine/wine64
export WINEPREFIX="${SWFZEL_WINEPREFIX:-$BUILD/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
export XDG_DATA_HOME="$BUILD/xdg-data"
export LANG=C.UTF-8 LC_ALL=C.UTF-8

swfzel_build() {
  if [ ! -f "$BUILD/CMakeCache.txt" ]; then
    cmake -S "$ROOT" -B "$BUILD" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
          -DCMAKE_BUILD_TYPE=Release >/dev/null
  fi
  cmake --build "$BUILD" -j"$(nproc)" "$@"
}

swfzel_wine_init() {
  mkdir -p "$XDG_DATA_HOME"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Initialising the Wine prefix in $WINEPREFIX"
    "$WINE64" wineboot -i >/dev/null 2>&1 || true
    /usr/lib/wine/wineserver -w || true
  fi
  # Xvfb runs no window manager: unmanaged windows draw their own frames and
  # hide at once (a managed window waits 2 s for a manager to withdraw it).
  if ! grep -q '"Managed"="N"' "$WINEPREFIX/user.reg" 2>/dev/null; then
    "$WINE64" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
    /usr/lib/wine/wineserver -w || true
  fi
}
