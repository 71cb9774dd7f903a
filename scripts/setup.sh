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
# Xvfb picks a free display itself and writes its number once it listens, so
# two runs on one machine never share (and then lose) one display.
orvalis_ensure_display() {
  [ -n "${DISPLAY:-}" ] && return 0
  local number_file
  number_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
  ORVALIS_XVFB_PID=$!
  for _ in $(seq 300); do
    if [ -s "$number_file" ]; then
      export DISPLAY=":$(tr -d '[:space:]' <"$number_file")"
      rm -f "$number_file"
      return 0
    fi
    kill -0 "$ORVALIS_XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  rm -f "$number_file"
  echo "Xvfb did not start" >&2
  return 1
}
