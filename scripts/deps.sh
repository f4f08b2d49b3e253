# Sourced by scripts/run and scripts/test: makes sure the Debian packages a
# command needs are installed. As root it installs what is missing; otherwise it
# prints the exact apt-get line and stops.

velmora_build_packages=(cmake ninja-build g++ pkg-config qt6-base-dev libxcb1-dev libfluidsynth-dev)
velmora_run_packages=(fluid-soundfont-gm)
velmora_test_packages=(libgtest-dev timgm6mb-soundfont)

velmora_require() {
  local missing=() pkg
  for pkg in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$pkg")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -eq 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq && apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null || {
      echo "velmora: apt-get could not install: ${missing[*]}" >&2
      exit 1
    }
  else
    echo "velmora: missing packages. Install them with:" >&2
    echo "  sudo apt-get install -y ${missing[*]}" >&2
    exit 1
  fi
}
