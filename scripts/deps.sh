# Sourced by scripts/test and scripts/run: installs the Debian packages the
# build and the tests need, when any is missing.
ORVANTA_PACKAGES=(
  g++ cmake make pkg-config
  qtbase5-dev qtbase5-dev-tools
  qtwebengine5-dev libqt5webchannel5-dev
  libpugixml-dev liblzma-dev libudev-dev
  libsndfile1-dev libkissfft-dev qtmultimedia5-dev libqt5multimedia5-plugins
  libglib2.0-dev libx11-dev xvfb xauth
  libevdev-dev libxtst-dev
  python3
  nodejs
)

orvanta_install_deps() {
  local missing=()
  local p
  for p in "${ORVANTA_PACKAGES[@]}"; do
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
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
  cmake --build "$build" -j"$(nproc)"
}
