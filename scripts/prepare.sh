# Shared by ./run and ./test: install the missing Debian packages, then configure and build.
# Sourced, not run: it expects ROOT to be the source tree.

BUILD_DIR="${BUILD_DIR:-$ROOT/build}"

missing_packages() {
  local pkg
  grep -v '^\s*\(#\|$\)' "$ROOT/scripts/debian-packages.txt" | while read -r pkg; do
    dpkg-query -W -f='${Status}\n' "$pkg" 2>/dev/null | grep -q 'install ok installed' || echo "$pkg"
  done
}

install_missing_packages() {
  local missing
  echo "Checking the Debian packages of scripts/debian-packages.txt..."
  missing=$(missing_packages | tr '\n' ' ')
  [ -z "${missing// /}" ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing Debian packages: $missing" >&2
    echo "Install them as root (apt-get install $missing) and try again." >&2
    return 1
  fi
  echo "Installing: $missing"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q && apt-get install -y -q --no-install-recommends $missing
}

# The tests run under the locale of the program's users, ru_RU.UTF-8, whose decimal mark is a
# comma: a number read or written through the process's locale then fails a test. Made when
# missing (as root; otherwise the command is named).
use_russian_locale() {
  if ! locale -a 2>/dev/null | grep -qix 'ru_RU.utf8'; then
    if [ "$(id -u)" -ne 0 ]; then
      echo "The locale ru_RU.UTF-8 is missing: make it as root (localedef -i ru_RU -f UTF-8 ru_RU.UTF-8)." >&2
      return 1
    fi
    echo "Making the locale ru_RU.UTF-8..."
    localedef -i ru_RU -f UTF-8 ru_RU.UTF-8 || return 1
  fi
  export LANG=ru_RU.UTF-8 LC_ALL=ru_RU.UTF-8
}

# Configures a build folder, every time, so that an option changed here reaches a folder made
# before (a configure that changes nothing takes a second). Every build of the tree is a demo
# build (it trusts the demo keys) and treats warnings in our own code as errors; further options
# are the caller's: configure BUILD_FOLDER [-DOPTION=VALUE...]
configure() {
  local folder="$1"
  shift
  echo "Configuring $folder (a build that trusts the demo keys)..."
  cmake -S "$ROOT" -B "$folder" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTRUBKOM_DEMO_KEYS=ON -DTRUBKOM_WERROR=ON "$@" >/dev/null || return 1
}

# Configures BUILD_DIR, then builds the targets given, or everything (programs, tests,
# benchmarks) without any, saying what it does.
configure_and_build() {
  configure "$BUILD_DIR" || return 1
  if [ $# -gt 0 ]; then
    echo "Building $* in $BUILD_DIR with $(nproc) jobs (the first build takes some minutes)..."
    cmake --build "$BUILD_DIR" --parallel "$(nproc)" --target "$@" || return 1
  else
    echo "Building the programs, tests and benchmarks in $BUILD_DIR with $(nproc) jobs" \
      "(the first build takes some minutes)..."
    cmake --build "$BUILD_DIR" --parallel "$(nproc)" || return 1
  fi
  echo "Built."
}
