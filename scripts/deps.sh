# Sourced by the scripts: installs the Debian packages the builds need, and
# only when one of them is missing.
varnel_packages="cmake ninja-build g++ libgtest-dev googletest zlib1g-dev
g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
libz-mingw-w64-dev wine64 fonts-wine xvfb xauth clang libclang-rt-14-dev
nlohmann-json3-dev ansible ansible-lint clang-format"

varnel_install_deps() {
  missing=""
  for p in $varnel_packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
  done
  if [ -n "$missing" ]; then
    echo "Installing:$missing"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    # shellcheck disable=SC2086
    apt-get install -y -qq --no-install-recommends $missing >/dev/null
  fi
}
