#!/bin/sh
# Installs what building and testing Brenvale needs on Debian 12, and nothing when all is there.
# usage: install-deps.sh build|test
# Needs root or sudo only when something is missing.
set -eu

build_packages="cmake ninja-build g++ qt6-base-dev g++-mingw-w64-x86-64 mingw-w64"
test_packages="googletest wine64 wine locales xvfb xauth fonts-wqy-microhei xdotool x11-utils openbox imagemagick"

case "${1:-test}" in
build) wanted="$build_packages" ;;
test) wanted="$build_packages $test_packages" ;;
*) echo "usage: $0 build|test" >&2; exit 2 ;;
esac

as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    elif command -v sudo >/dev/null 2>&1; then
        sudo "$@"
    else
        echo "install-deps: need root or sudo to run: $*" >&2
        exit 1
    fi
}

missing=""
for package in $wanted; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    case "$status" in
    *"install ok installed"*) ;;
    *) missing="$missing $package" ;;
    esac
done

if [ -n "$missing" ]; then
    echo "install-deps: installing$missing"
    as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    # shellcheck disable=SC2086
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $missing >/dev/null
fi

# Wine's ANSI code page follows the locale: zh_CN.UTF-8 gives 936 (GBK), as on a Chinese Windows system.
case " $wanted " in
*" locales "*)
    if ! locale -a 2>/dev/null | grep -qix 'zh_CN.utf8'; then
        echo "install-deps: generating the zh_CN.UTF-8 locale"
        as_root sh -c "grep -qx 'zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' >> /etc/locale.gen"
        as_root locale-gen >/dev/null
    fi
    ;;
esac
