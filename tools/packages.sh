# Installs the Debian packages the build and the tests need, when missing.
# Sourced by build.sh and test.sh: morvel_install_packages PACKAGE...
morvel_install_packages() {
  local missing=()
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -q
  $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
}

MORVEL_BUILD_PACKAGES=(cmake make g++ qt6-base-dev fonts-noto-cjk)
MORVEL_TEST_PACKAGES=(libgtest-dev nodejs clang libclang-rt-14-dev xvfb xauth xdotool openbox x11-utils poppler-utils dpkg-dev desktop-file-utils)
# The Windows build: cross compiler, Wine to run its tests, GoogleTest's
# sources to build it with that compiler, NSIS for the installer, Xvfb and
# xdotool for the window tests.
MORVEL_WINDOWS_PACKAGES=(cmake make g++-mingw-w64-x86-64-posix wine wine64 googletest nsis xvfb xdotool)
