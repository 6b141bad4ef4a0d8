# Shared by scripts/run and scripts/test: install what the build needs, then configure and build.
# Sourced, not run.

# Everything the build, the tests and the demo use, as Debian 12 package names. xfonts-base gives
# Xvfb the core fonts SDL's X11 message box draws with (only recommended by xvfb, so a minimal
# system lacks it); the end-to-end tests run the prompts both with and without them.
KESTREL_PACKAGES=(
  build-essential cmake pkg-config
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  libhidapi-dev libudev-dev libsdl2-dev libx11-dev libpng-dev zlib1g-dev libcurl4-openssl-dev
  libtinyxml2-dev clang libclang-rt-14-dev
  libfreetype-dev libcairo2-dev fonts-dejavu-core
  xvfb xauth xdotool x11-utils xfonts-base
  desktop-file-utils appstream python3 dpkg-dev groff-base
)

# What ./scripts/package adds to the build's packages to make and check the Debian package.
KESTREL_PACKAGING_TOOLS=(lintian)

# Installs what is missing of the packages named, or of KESTREL_PACKAGES when none are named.
kestrel_install_packages() {
  local wanted=("$@")
  [ ${#wanted[@]} -eq 0 ] && wanted=("${KESTREL_PACKAGES[@]}")
  local missing=()
  local package
  for package in "${wanted[@]}"; do
    dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

kestrel_build() {
  local build_dir="$1"
  cmake -S "$KESTREL_ROOT" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build_dir" -j "$(nproc)"
}
