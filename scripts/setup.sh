#!/usr/bin/env bash
# Installs what is missing on Debian 12, quietly when all is there. Runs as root.
#   scripts/setup.sh pack     what building and running the pack needs: a C++ compiler, CMake and Ninja.
#   scripts/setup.sh native   what the native build of the tests needs besides: GoogleTest, the tool's
#                             libraries, Google Benchmark, Python and Node.js, and the whole header of
#                             cpp-httplib that the tool's web server is compiled from (see
#                             fetch_httplib_header).
#   scripts/setup.sh          everything the tests need: the above, clang with its runtimes for fuzzing,
#                             the MinGW-w64 cross compilers for the 32-bit and 64-bit Windows programs,
#                             Wine of both widths, an X server without a screen to run them in, Chromium
#                             for the plot viewer's browser tests, Neovim for the language server's test
#                             in a real editor, and yaml-cpp built for MinGW-w64 for the Windows tool (see
#                             build_yaml_cpp_for_windows).
set -euo pipefail
what="${1:-all}"

pack_packages=(cmake ninja-build g++)
native_packages=(libgtest-dev libgmock-dev libcli11-dev nlohmann-json3-dev libcpp-httplib-dev libyaml-cpp-dev pkgconf
                 dpkg-dev libbenchmark-dev python3 nodejs)
test_packages=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 xvfb xauth x11-utils clang libclang-rt-14-dev chromium neovim)
# Wine with what it recommends: its X11 driver and its text drawing load the X and font libraries only at
# run time, and those are recommendations; the 32-bit names make sure they are there for the 32-bit loader.
# wine64 runs the 64-bit programs on hosts whose kernel cannot start 32-bit ones.
wine_packages=(wine wine32:i386 wine64 fonts-wine libfreetype6:i386 libfontconfig1:i386 libx11-6:i386
               libxext6:i386 libxrender1:i386)
case "$what" in
  pack) packages=("${pack_packages[@]}") wine=() ;;
  native) packages=("${pack_packages[@]}" "${native_packages[@]}") wine=() ;;
  all) packages=("${pack_packages[@]}" "${native_packages[@]}" "${test_packages[@]}") wine=("${wine_packages[@]}") ;;
  *) echo "usage: scripts/setup.sh [pack|native|all]" >&2; exit 64 ;;
esac

missing() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"
  done
}
mapfile -t missing_packages < <(missing "${packages[@]}")
mapfile -t missing_wine < <(missing "${wine[@]}")
# The tool's web server: Debian's cpp-httplib is a library built with TLS and compression, for Linux only,
# with a header of declarations; both the native and the MinGW builds compile the library's whole header of
# the same version instead, without either (CMakeLists.txt looks for it here).
httplib_header=/usr/local/share/scenario-pack/cpp-httplib/httplib.h
need_header=0
[[ "$what" != pack && ! -f "$httplib_header" ]] && need_header=1
# The running-time engine's YAML reader: Debian's yaml-cpp is built for Linux, so the MinGW builds link a
# static build of the same version's source package, one per Windows target (CMakeLists.txt looks here).
yaml_cpp_prefix=/usr/local/share/scenario-pack/yaml-cpp
yaml_cpp_targets=(i686 x86_64)
need_yaml_cpp=0
for target in "${yaml_cpp_targets[@]}"; do
  [[ "$what" == all && ! -f "$yaml_cpp_prefix/$target/lib/libyaml-cpp.a" ]] && need_yaml_cpp=1
done
((${#missing_packages[@]} + ${#missing_wine[@]} + need_header + need_yaml_cpp)) || exit 0

((${#missing_packages[@]} + ${#missing_wine[@]})) && echo "setup: installing ${missing_packages[*]} ${missing_wine[*]}" >&2
log="$(mktemp)"
trap 'rm -f "$log"' EXIT
quietly() {
  "$@" >"$log" 2>&1 || { cat "$log" >&2; echo "setup: failed: $*" >&2; exit 1; }
}
export DEBIAN_FRONTEND=noninteractive
# 32-bit Wine needs the i386 architecture.
if ((${#missing_wine[@]})) && ! dpkg --print-foreign-architectures | grep -qx i386; then
  quietly dpkg --add-architecture i386
fi
quietly apt-get update
if ((${#missing_packages[@]})); then
  quietly apt-get install -y --no-install-recommends "${missing_packages[@]}"
fi
if ((${#missing_wine[@]})); then
  quietly apt-get install -y "${missing_wine[@]}"
fi

# Sources come from Debian's source package of the installed version, with Debian's patches applied,
# fetched by apt from the system's own mirrors with a source list of its own: the system's lists stay as
# they are. unpack_source_package BINARY_PACKAGE DEST unpacks the source of an installed package.
unpack_source_package() {
  local binary="$1" dest="$2" name version work f
  name="$(dpkg-query -W -f='${source:Package}' "$binary")"
  version="$(dpkg-query -W -f='${source:Version}' "$binary")"
  work="$(mktemp -d)"
  mkdir -p "$work/parts" "$work/lists/partial"
  : >"$work/sources.list"
  [[ -f /etc/apt/sources.list ]] && sed -n 's/^deb /deb-src /p' /etc/apt/sources.list >"$work/sources.list"
  for f in /etc/apt/sources.list.d/*.sources; do
    [[ -e "$f" ]] && sed 's/^Types: deb$/Types: deb-src/' "$f" >"$work/parts/${f##*/}"
  done
  for f in /etc/apt/sources.list.d/*.list; do
    [[ -e "$f" ]] && sed -n 's/^deb /deb-src /p' "$f" >"$work/parts/${f##*/}"
  done
  local apt_source=(-o "Dir::Etc::SourceList=$work/sources.list" -o "Dir::Etc::SourceParts=$work/parts"
                    -o "Dir::State::Lists=$work/lists" -o APT::Sandbox::User=root)
  quietly apt-get "${apt_source[@]}" update
  (cd "$work" && quietly apt-get "${apt_source[@]}" source --download-only "$name=$version")
  quietly dpkg-source -x "$work"/"${name}"_*.dsc "$dest"
  rm -rf "$work"
}

fetch_httplib_header() {
  local work
  work="$(mktemp -d)"
  unpack_source_package libcpp-httplib-dev "$work/src"
  install -D -m 644 "$work/src/httplib.h" "$httplib_header"
  rm -rf "$work"
}

# A static library of the library alone (no tests, tools or contributions), with the MinGW-w64 compilers
# the project's own cross-builds use.
build_yaml_cpp_for_windows() {
  local work target
  work="$(mktemp -d)"
  unpack_source_package libyaml-cpp-dev "$work/src"
  for target in "${yaml_cpp_targets[@]}"; do
    quietly cmake -S "$work/src" -B "$work/build-$target" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_SYSTEM_NAME=Windows -DCMAKE_SYSTEM_PROCESSOR="$target" \
      -DCMAKE_C_COMPILER="$target-w64-mingw32-gcc-posix" -DCMAKE_CXX_COMPILER="$target-w64-mingw32-g++-posix" \
      -DYAML_BUILD_SHARED_LIBS=OFF -DYAML_CPP_BUILD_TESTS=OFF -DYAML_CPP_BUILD_TOOLS=OFF \
      -DYAML_CPP_BUILD_CONTRIB=OFF -DYAML_CPP_INSTALL=ON \
      -DCMAKE_INSTALL_PREFIX="$yaml_cpp_prefix/$target" -DCMAKE_INSTALL_LIBDIR=lib
    quietly cmake --build "$work/build-$target"
    quietly cmake --install "$work/build-$target"
  done
  rm -rf "$work"
}
if ((need_header)); then
  echo "setup: unpacking cpp-httplib's whole header from its Debian source package" >&2
  fetch_httplib_header
fi
if ((need_yaml_cpp)); then
  echo "setup: building yaml-cpp for the Windows tool from its Debian source package" >&2
  build_yaml_cpp_for_windows
fi
