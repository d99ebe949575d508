#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing need, when any is missing.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config clang-format
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev libqt6svg6 qt6-qpa-plugins libgl-dev
    libqt6sql6-odbc unixodbc unixodbc-dev libpugixml-dev
    odbc-postgresql tdsodbc freetds-bin postgresql
    xvfb xdotool
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if ((${#missing[@]})); then
    sudo=()
    if [ "$(id -u)" -ne 0 ]; then sudo=(sudo); fi
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update -q
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
