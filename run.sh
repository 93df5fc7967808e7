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
case "$mode" in
run | --test | --bench) ;;
*)
    echo "usage: $0 [--test | --bench]" >&2
    exit 2
    ;;
esac

# What building and running the programs needs.
run_packages=(
    build-essential cmake ninja-build ccache pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-image-formats-plugins libqt6svg6 libgl-dev
    libzip-dev libxlsxwriter-dev
    fonts-urw-base35 fonts-liberation2 fonts-noto-core fonts-noto-cjk fontconfig
)
# What the tests need besides: the test and benchmark frameworks (the suite builds
# the benchmarks too), the independent readers of the files the programs write,
# the validators of what the install puts in place, and clang for the fuzz build.
test_packages=(
    libgtest-dev libgmock-dev libbenchmark-dev
    python3 python3-xlrd python3-openpyxl gnumeric libreoffice-calc-nogui poppler-utils
    appstream desktop-file-utils man-db groff-base locales
    xvfb xauth clang clang-format libclang-rt-14-dev
)
# The peers the benchmarks are timed against.
bench_packages=(python3-xlwt libspreadsheet-writeexcel-perl hyperfine)

packages=("${run_packages[@]}")
case "$mode" in
--test) packages+=("${test_packages[@]}") ;;
--bench) packages+=("${test_packages[@]}" "${bench_packages[@]}") ;;
esac

installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

missing=()
for p in "${packages[@]}"; do
    installed "$p" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    if [ "$(id -u)" -eq 0 ]; then
        as_root=()
    elif command -v sudo >/dev/null 2>&1; then
        as_root=(sudo)
    else
        cat >&2 <<MSG
$0: these Debian packages are missing:

    ${missing[*]}

Installing them needs root, and there is no sudo here. Install them as root,
for instance with

    su -c 'apt-get update && apt-get install --no-install-recommends ${missing[*]}'

then run $0${1:+ $1} again.
MSG
        exit 1
    fi
    echo "Installing ${#missing[@]} Debian packages: ${missing[*]}"
    "${as_root[@]}" apt-get update -qq
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi

# Starting the program needs neither GoogleTest nor Google Benchmark: without
# them the tests and benchmarks are left out, and only the programs are built.
mode_args=()
targets=()
case "$mode" in
run)
    targets=(--target quorvel-tabwright quorvel-tabwright-export)
    for p in libgtest-dev libgmock-dev libbenchmark-dev; do
        installed "$p" || mode_args=(-DBUILD_TESTING=OFF -DQUORVEL_BENCH=OFF)
    done
    ;;
--test | --bench)
    mode_args=(-DBUILD_TESTING=ON -DQUORVEL_BENCH=ON)
    ;;
esac

# CMAKE_ARGS comes last, so that it can override the mode's choices.
# shellcheck disable=SC2086
cmake -S . -B "$build_dir" -G Ninja "${mode_args[@]}" ${CMAKE_ARGS:-} >/dev/null
cmake --build "$build_dir" -j"$(nproc)" "${targets[@]}"

case "$mode" in
run)
    exec "$build_dir/bin/quorvel-tabwright"
    ;;
--test)
    cd "$build_dir"
    # shellcheck disable=SC2086
    exec ctest --output-on-failure -j"$(nproc)" ${CTEST_ARGS:-}
    ;;
--bench)
    exec bench/run_all.sh "$build_dir"
    ;;
esac
