# Shared steps of scripts/test, scripts/demo and scripts/screenshot.
BUILD=${OVMON_BUILD:-$ROOT/build}
. "$ROOT/scripts/peers.sh"

PACKAGES="cmake ninja-build clang g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools
  wine wine64 xvfb xauth imagemagick xdotool googletest libbenchmark-dev libssl-dev libclang-rt-14-dev wixl msitools
  python3-prometheus-client $PEER_PACKAGES"

# Installs the Debian packages that are missing.
install_packages() {
  local missing=()
  for p in $PACKAGES; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "=== installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get -o DPkg::Lock::Timeout=900 install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# Native tree: portable sources and tests under ASan/UBSan, and the fuzz targets.
build_native() {
  echo "=== native build"
  cmake -S "$ROOT" -B "$BUILD/native" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DOVMON_FUZZ=ON >/dev/null
  cmake --build "$BUILD/native" -j2
}

# Windows tree: ovmon.cpl and the tests, cross-compiled with mingw-w64; with targets, only those
# (and what they need).
build_windows() {  # [target...]
  echo "=== Windows build"
  cmake -S "$ROOT" -B "$BUILD/win" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" >/dev/null
  cmake --build "$BUILD/win" -j2 ${1:+--target "$@"}
}

# The programs a package or the demo runs: the applet, the service and ovmonctl.
PROGRAM_TARGETS="ovmon_cpl ovmonsvc ovmonctl"

# A private Wine prefix with its own persistent wineserver (null graphics driver
# unless WINE_GRAPHICS says otherwise). stop_wine ends it and removes the prefix.
start_wine() {
  export WINE_WORK="$BUILD/wine"
  rm -rf "$WINE_WORK"
  mkdir -p "$WINE_WORK/tmp"
  export TMPDIR="$WINE_WORK/tmp" WINEPREFIX="$WINE_WORK/prefix" WINEARCH=win64 WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=d" TZ=UTC LANG=C.UTF-8
  [ "${WINE_GRAPHICS:-null}" = null ] && unset DISPLAY
  echo "=== Wine prefix $WINEPREFIX"
  wineboot -i >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d "${WINE_GRAPHICS:-null}" /f >/dev/null 2>&1
  # Links take the system's hot-tracking colour: Wine's light theme makes it a grey close to
  # the pages' own, so the prefix gets the colour Windows gives it.
  wine reg add 'HKCU\Control Panel\Colors' /v HotTrackingColor /d '0 102 204' /f >/dev/null 2>&1
  if [ "${WINE_GRAPHICS:-null}" = x11 ]; then
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  fi
  wineserver -w
  wineserver -f -p >"$WINE_WORK/wineserver.log" 2>&1 &
  WINESERVER_PID=$!
  wine wineboot </dev/null >/dev/null 2>&1
  # Keeps the desktop alive between test programs; a visible desktop needs no keeper.
  [ "${WINE_GRAPHICS:-null}" = null ] && { wine notepad </dev/null >/dev/null 2>&1 & }
  return 0
}

stop_wine() {
  [ -n "${WINESERVER_PID:-}" ] || return 0
  wineserver -k || true
  wait "$WINESERVER_PID" 2>/dev/null || true
  WINESERVER_PID=
  rm -rf "$WINE_WORK"
}
