# Sourced by scripts/test and scripts/run: installs the Debian packages the
# build and the tests need, when any is missing.
ORVANTA_PACKAGES=(
  g++ cmake make pkg-config
  qtbase5-dev qtbase5-dev-tools
  qtwebengine5-dev libqt5webchannel5-dev
  libpugixml-dev liblzma-dev libudev-dev
  libsndfile1-dev libkissfft-dev qtmultimedia5-dev libqt5multimedia5-plugins
  libglib2.0-dev libx11-dev libxcb1-dev xvfb xauth dbus-daemon
  libevdev-dev libxtst-dev libdw-dev libsodium-dev minisign
  python3
  desktop-file-utils appstream
  nodejs
)

orvanta_install_deps() {
  orvanta_install_packages "${ORVANTA_PACKAGES[@]}"
}

# The pages' interface tests run on jsdom, from the npm registry at the
# version tests/pages/package-lock.json holds; installed into
# tests/pages/node_modules when missing or older than the lock.
orvanta_install_page_test_deps() {
  local root=$1
  local pages="$root/tests/pages"
  command -v npm >/dev/null 2>&1 || orvanta_install_packages npm
  if [ ! -f "$pages/node_modules/.package-lock.json" ] || [ "$pages/package-lock.json" -nt "$pages/node_modules/.package-lock.json" ]; then
    (cd "$pages" && npm ci --no-audit --no-fund --loglevel=error)
  fi
}

# Installs those of the named Debian packages that are missing.
orvanta_install_packages() {
  local missing=()
  local p
  for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$p")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  if ! $sudo apt-get install -y -q "${missing[@]}"; then
    $sudo apt-get update -q
    $sudo apt-get install -y -q "${missing[@]}"
  fi
}

orvanta_build() {
  local root=$1 build=$2
  shift 2
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
  cmake --build "$build" -j"$(nproc)"
}
