#!/usr/bin/env bash
# Builds one or more flavours: native, native-san (ASan+UBSan), win32, win64. Default: all of them.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
flavours=("$@"); [ ${#flavours[@]} -gt 0 ] || flavours=(native native-san win32 win64)
for f in "${flavours[@]}"; do
  case "$f" in
    native)     args=() ;;
    native-san) args=(-DTAVREL_SANITIZE=ON) ;;
    win32)      args=(-DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-i686.cmake") ;;
    win64)      args=(-DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-x86_64.cmake") ;;
    *) echo "unknown flavour $f" >&2; exit 2 ;;
  esac
  [ -f "build/$f/CMakeCache.txt" ] || cmake -S . -B "build/$f" -DCMAKE_BUILD_TYPE=MinSizeRel "${args[@]}" >/dev/null
  cmake --build "build/$f" -j2
done
