#!/usr/bin/env bash
# Installs the Debian packages the program needs (only those missing), builds it,
# then either starts it ("run") or runs every test ("test").
set -euo pipefail

mode="${1:-}"
case "$mode" in run|test) ;; *) echo "usage: $0 run|test" >&2; exit 2 ;; esac

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build"

packages=(cmake ninja-build g++ pkg-config qt6-base-dev libxlsxwriter-dev libcurl4-openssl-dev libgtest-dev libgmock-dev libbenchmark-dev libgoogle-perftools-dev libssl-dev)
# What CI needs beyond the build: the sanitizer and fuzzing build (clang and
# its runtimes), readable stack traces (llvm-symbolizer)
# and the report tests' readers (a headless browser, openpyxl).
test_packages=(clang libclang-rt-14-dev llvm chromium-headless-shell python3-openpyxl)
[ "$mode" = run ] && packages+=(qt6-wayland fonts-dejavu-core)
[ "$mode" = test ] && packages+=("${test_packages[@]}")

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)"

if [ "$mode" = run ]; then
  exec "$build/bidmanager"
fi
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
