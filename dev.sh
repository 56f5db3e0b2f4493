#!/usr/bin/env bash
# Kolvart developer commands. Each one first installs, with apt, whatever
# Debian packages it needs and the machine lacks, and says which.
#
#   ./dev.sh run         build and start the program
#   ./dev.sh test        the whole test suite: built with warnings as errors and checked
#                        with clang-tidy and shellcheck, again without the program's
#                        X11 code, under AddressSanitizer and
#                        UndefinedBehaviorSanitizer, and a short fuzz run
#   ./dev.sh test-debian13  the same suite on Debian 13, in a chroot that it makes once
#                        (as root) under /var/cache/kolvart and keeps
#   ./dev.sh sanitize    only the suite under the sanitizers
#   ./dev.sh screenshot  start the program under Xvfb and write docs/screenshot.png
#   ./dev.sh bench       build and run the benchmarks
#   ./dev.sh deb         build the Debian package into build/release
set -euo pipefail
cd "$(dirname "$0")"
# The tests run here have every tool they need installed first: one that is
# missing all the same fails its test, where a plain ctest skips it.
export KOLVART_TEST_REQUIRE_ALL=1

# Packages to build the program and its tests, with the Wayland platform and
# the bell played through the sound server there; and to run the tests that
# start their own X server, window manager, printer service, and Wayland
# compositor with a sound server and the accessibility bus; and the desktops'
# fonts (Debian's DejaVu Sans, KDE Plasma's Noto Sans, GNOME's Cantarell) that
# the window has to grow for and the report has to fit seven blocks to a sheet in;
# and Qt's GTK platform theme, which Qt loads by itself on GNOME.
build_packages=(build-essential cmake ninja-build pkg-config qt6-base-dev libgl-dev
    qt6-qpa-plugins libgtest-dev libgmock-dev libbenchmark-dev fonts-liberation2
    libxcb1-dev libxcb-damage0-dev libcups2-dev qt6-translations-l10n
    qt6-wayland libcanberra-dev libcanberra0 libcanberra-pulse sound-theme-freedesktop)
test_packages=(xvfb xauth x11-utils x11-xkb-utils xdotool xclip openbox imagemagick cups cups-client cups-bsd
    printer-driver-cups-pdf poppler-utils desktop-file-utils appstream
    clang libclang-rt-dev clang-tidy shellcheck python3 dpkg-dev file lintian man-db
    fonts-dejavu-core fonts-noto-core fonts-cantarell
    sway wtype dbus at-spi2-core python3-gi gir1.2-atspi-2.0 pulseaudio pulseaudio-utils
    qt6-gtk-platformtheme)
# KDE's Breeze style, whose colours the window has to keep to: for Qt 6 from
# Debian 13 on (Debian 12's is for Qt 5 alone).
if [ "$(. /etc/os-release && echo "${VERSION_CODENAME:-}")" != bookworm ]; then
    test_packages+=(kde-style-breeze)
fi

install_missing() {
    local missing=()
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$package")
        fi
    done
    if [ ${#missing[@]} -eq 0 ]; then
        return
    fi
    echo "dev.sh: installing ${missing[*]}"
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        sudo=(sudo)
    fi
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
}

jobs=$(nproc)

# Debian 13 "trixie": the suite runs in a chroot made from the Debian mirror
# that apt's sources name on this machine, with the packages above, and kept
# for the next run (CI clones afresh, so it lives outside the clone). It is
# made in a temporary directory and renamed when complete, so a broken-off run
# leaves no half chroot behind; an install inside that broke off is finished first. Each run
# copies the tracked files in and runs "dev.sh test" there, in a mount and
# process namespace of its own: when it ends, however it ends, nothing stays
# mounted and nothing it started stays running.
debian13_root=/var/cache/kolvart/debian13

# The Debian mirror that apt's sources name, as apt reads them. Its lists are
# fetched first where apt has none yet: the archive's label comes from there.
debian_mirror() {
    # shellcheck disable=SC2016 # $(REPO_URI) is apt's field, not the shell's
    local targets=(apt-get indextargets --format '$(REPO_URI)' 'Label: Debian')
    local mirror
    mirror=$("${targets[@]}" | head -n 1)
    if [ -z "$mirror" ]; then
        apt-get update -qq >/dev/null || true
        mirror=$("${targets[@]}" | head -n 1)
    fi
    if [ -z "$mirror" ]; then
        echo "dev.sh: apt's sources name no Debian mirror to make the Debian 13 chroot from: add one to /etc/apt/sources.list (\"deb URL $(. /etc/os-release && echo "$VERSION_CODENAME") main\", URL a Debian mirror), run apt-get update, and try again" >&2
        exit 1
    fi
    echo "$mirror"
}

test_debian13() {
    if [ "$(id -u)" -ne 0 ]; then
        exec sudo -- "$PWD/dev.sh" test-debian13
    fi
    local mirror=
    if [ ! -d "$debian13_root" ]; then
        mirror=$(debian_mirror)
    fi
    install_missing mmdebstrap git
    local cache=${debian13_root%/*}
    mkdir -p "$cache"
    exec 9>"$cache/debian13.lock"
    flock 9 # one run at a time in the chroot
    if [ ! -d "$debian13_root" ]; then
        rm -rf --one-file-system "$cache"/debian13.new.*
        local new include
        mirror=${mirror:-$(debian_mirror)}
        new=$(mktemp -d "$cache/debian13.new.XXXXXX")
        echo "dev.sh: making the Debian 13 chroot $debian13_root from $mirror"
        include=$(IFS=,; echo "${build_packages[*]},${test_packages[*]}")
        unshare --mount --propagation private -- mmdebstrap --quiet --variant=minbase \
            --include="$include" trixie "$new" "$mirror"
        # Packages installed later start no services in it.
        printf '#!/bin/sh\nexit 101\n' >"$new/usr/sbin/policy-rc.d"
        chmod 755 "$new/usr/sbin/policy-rc.d"
        mv -T "$new" "$debian13_root"
    fi
    local tree=$debian13_root/srv/kolvart
    rm -rf --one-file-system "$tree"
    mkdir -p "$tree"
    git ls-files -z | tar --null --no-recursion --ignore-failed-read -T - -cf - | tar -xf - -C "$tree"
    cp -L /etc/resolv.conf "$debian13_root/etc/resolv.conf"
    # shellcheck disable=SC2016 # the inner bash expands its own variables
    unshare --mount --propagation private --pid --fork --kill-child -- bash -euc '
        root=$1
        # / has to be a mount point inside: the print test makes a mount namespace.
        mount --bind "$root" "$root"
        mount -t proc proc "$root/proc"
        mount --rbind /sys "$root/sys"
        mount --rbind /dev "$root/dev"
        mount -t tmpfs -o mode=1777,nosuid,nodev shm "$root/dev/shm" # the keymap sway hands out
        chroot "$root" /usr/bin/env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin \
            HOME=/root LANG=C.UTF-8 TERM="${TERM:-dumb}" CI="${CI:-}" \
            bash -c "dpkg --configure -a && cd /srv/kolvart && ./dev.sh test"' bash "$debian13_root"
}

build() { # preset
    cmake --preset "$1" >/dev/null
    cmake --build --preset "$1" -j "$jobs"
}

case "${1:-}" in
run)
    install_missing "${build_packages[@]}"
    build default
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
        echo "dev.sh: built build/default/kolvart, but there is no display to show its window on (DISPLAY is not set)."
        exit 0
    fi
    exec build/default/kolvart
    ;;
test)
    install_missing "${build_packages[@]}" "${test_packages[@]}"
    for preset in ci no-x11 sanitize fuzz; do
        echo "dev.sh: test preset $preset"
        build "$preset"
        ctest --preset "$preset" -j "$jobs"
    done
    ;;
test-debian13)
    test_debian13
    ;;
sanitize)
    install_missing "${build_packages[@]}" "${test_packages[@]}"
    build sanitize
    ctest --preset sanitize -j "$jobs"
    ;;
screenshot)
    install_missing "${build_packages[@]}" "${test_packages[@]}"
    build default
    mkdir -p docs
    tools/screenshot.sh build/default/kolvart docs/screenshot.png
    ;;
bench)
    install_missing "${build_packages[@]}" "${test_packages[@]}"
    build default
    build/default/bench/calc_bench
    build/default/bench/startup_bench 30
    ;;
deb)
    install_missing "${build_packages[@]}" dpkg-dev file
    # The package's ar header holds the modes of the files cpack writes, and
    # those follow the umask: under a fixed one the same commit gives the
    # same bytes for everyone (cmake/KolvartInstall.cmake).
    umask 022
    build release
    (cd build/release && cpack -G DEB)
    ;;
*)
    sed -n '2,15p' "$0" | sed 's/^# \{0,1\}//'
    exit 2
    ;;
esac
