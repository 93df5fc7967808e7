#!/usr/bin/env bash
# Sets up a Debian machine for Quorvel Tabwright, builds it, then starts the
# program or (with --test) runs the whole test suite. Safe to run again: it
# installs only what is missing and rebuilds only what changed.
#
#   ./run.sh            build and start the program
#   ./run.sh --test     build and run every test
#   ./run.sh --bench    build and run the benchmarks (installs the peer tools too)
#   BUILD_DIR=build-asan CMAKE_ARGS="-DQUORVEL_SANITIZE=ON" ./run.sh --test
set -euo pipefail
cd "$(dirname "$0")"

mode=${1:-run}
build_dir=${BUILD_DIR:-build}

packages=(
    build-essential cmake ninja-build ccache pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-image-formats-plugins libqt6svg6 libqt6svg6-dev libgl-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    fonts-urw-base35 fonts-liberation2 fonts-noto-core fonts-noto-cjk fontconfig locales
    libzip-dev libxlsxwriter-dev
    python3 python3-xlrd python3-openpyxl gnumeric libreoffice-calc-nogui poppler-utils
    xvfb xauth clang clang-format libclang-rt-14-dev
)
if [ "$mode" = "--bench" ]; then
    packages+=(python3-xlwt libspreadsheet-writeexcel-perl hyperfine)
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# shellcheck disable=SC2086
cmake -S . -B "$build_dir" -G Ninja ${CMAKE_ARGS:-} >/dev/null
cmake --build "$build_dir" -j"$(nproc)"

case "$mode" in
run)
    exec "$build_dir/bin/quorvel-tabwright"
    ;;
--test)
    cd "$build_dir"
    exec ctest --output-on-failure -j"$(nproc)" ${CTEST_ARGS:-}
    ;;
--bench)
    exec bench/run_all.sh "$build_dir"
    ;;
*)
    echo "usage: $0 [--test | --bench]" >&2
    exit 2
    ;;
esac
