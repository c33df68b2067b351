#!/usr/bin/env bash
# One entry point for a fresh Debian 12 machine: installs the Debian packages the build needs
# (when missing), configures and builds incrementally, then starts the program or runs the tests.
#   ./dev.sh run    build and start Pellamar
#   ./dev.sh test   build and run every test
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(cmake ninja-build g++ qt6-base-dev libgl-dev fonts-liberation2 fonts-dejavu-core
    cups printer-driver-cups-pdf poppler-utils)
BUILD_DIR=build

install_missing_packages() {
    local missing=()
    for pkg in "${PACKAGES[@]}"; do
        if [ "$(dpkg-query -W -f='${db:Status-Status}' "$pkg" 2>/dev/null)" != installed ]; then
            missing+=("$pkg")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build() {
    # Warnings are errors everywhere, so what builds here builds in CI.
    cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPELLAMAR_WERROR=ON \
        >/dev/null
    cmake --build "$BUILD_DIR"
}

case "${1:-}" in
run)
    install_missing_packages
    build
    exec "$BUILD_DIR/src/app/pellamar" "${@:2}"
    ;;
test)
    install_missing_packages
    build
    ctest --test-dir "$BUILD_DIR" --output-on-failure -j "$(nproc)"
    ;;
*)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
