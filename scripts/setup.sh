# Shared by run.sh and test.sh: installs what the build needs and configures
# and builds one tree. Sourced, not run.

ORVALIS_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

orvalis_packages=(
  g++ cmake ninja-build pkg-config
  libgtest-dev libbenchmark-dev
  libgdal-dev zlib1g-dev libdeflate-dev
  qt6-base-dev libgl-dev libglu1-mesa-dev libgl1-mesa-dri
  xvfb xauth fonts-dejavu-core
  desktop-file-utils appstream
)

# Installs missing Debian packages when running as root; otherwise says what is missing.
orvalis_install_packages() {
  local missing=()
  for p in "${orvalis_packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -eq 0 ] && command -v apt-get >/dev/null; then
    echo "Installing: ${missing[*]}"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  else
    echo "Missing packages: ${missing[*]}" >&2
    echo "Install them with: sudo apt-get install ${missing[*]}" >&2
    return 1
  fi
}

# orvalis_build PRESET [TARGET...]: configures (once) and builds the tree of
# one of the presets in CMakePresets.json (release, asan) under build/PRESET:
# the targets named, or everything.
orvalis_build() {
  local preset=$1; shift
  local targets=()
  [ $# -gt 0 ] && targets=(--target "$@")
  (cd "$ORVALIS_ROOT" && cmake --preset "$preset" >/dev/null &&
    cmake --build --preset "$preset" --parallel "$(nproc)" "${targets[@]}")
}

# Starts a virtual X display when there is none, for the window and GL tests.
orvalis_ensure_display() {
  [ -n "${DISPLAY:-}" ] && return 0
  local n=99
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  ORVALIS_XVFB_PID=$!
  export DISPLAY=":$n"
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && return 0; sleep 0.1; done
  echo "Xvfb did not start" >&2
  return 1
}
