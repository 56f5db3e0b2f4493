#!/usr/bin/env bash
# The Debian package as a distribution would check it.
#
#   package_test.sh BUILD_DIR WORK_DIR FORTIFY_PROBE DISPLAY_VERSION
#
# Builds the package from the build tree BUILD_DIR with cpack (no second
# build: cpack installs what is built into WORK_DIR and packs it) and checks:
#   - lintian reports no error and no warning;
#   - the package has no maintainer scripts (CPack would add ldconfig calls
#     for a shared object in /usr/lib, which lintian rejects);
#   - every ELF file in it is hardened: position-independent (type DYN, and
#     FLAGS_1 PIE for a program), GNU_RELRO with BIND_NOW (full RELRO), and
#     the stack protector's __stack_chk_fail among its dynamic symbols;
#   - FORTIFY_PROBE, a small program built with the same flags that copies
#     into a fixed buffer, calls the checked __memcpy_chk: the program itself
#     has no call whose size the compiler could check, so its symbols cannot
#     show _FORTIFY_SOURCE;
#   - each manual page formats without a warning from man and groff, names
#     the version DISPLAY_VERSION and has nothing left unconfigured;
#   - the changelog's version is the package's version.
# Every check runs and reports; the test fails if any failed.
set -Euo pipefail
export LC_ALL=C.UTF-8

say() { printf 'package: %s\n' "$*"; }
failures=0
fail() {
    say "FAIL: $*"
    failures=$((failures + 1))
}

if [ $# -ne 4 ]; then
    echo "usage: $0 BUILD_DIR WORK_DIR FORTIFY_PROBE DISPLAY_VERSION" >&2
    exit 2
fi
build_dir=$1
work=$2
probe=$3
display_version=$4

# Each tool with the Debian package that brings it (./dev.sh test installs them).
missing=()
for pair in cpack:cmake lintian:lintian man:man-db readelf:binutils \
    dpkg-deb:dpkg dpkg-parsechangelog:dpkg-dev dpkg-shlibdeps:dpkg-dev file:file; do
    command -v "${pair%%:*}" >/dev/null || missing+=("${pair#*:}")
done
if [ ${#missing[@]} -ne 0 ]; then
    say "missing tools; install the Debian packages: $(printf '%s\n' "${missing[@]}" | sort -u | tr '\n' ' ')"
    exit 1
fi

rm -rf "$work"
mkdir -p "$work"
if ! cpack -G DEB --config "$build_dir/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"
    say "FAIL: cpack could not build the package"
    exit 1
fi
debs=("$work"/out/*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
    say "FAIL: expected one package in $work/out, found: ${debs[*]}"
    exit 1
fi
deb=${debs[0]}
say "built $(basename "$deb")"

# lintian, as a distribution runs it; informational tags are shown, not failed.
lintian_out=$(lintian --display-info --fail-on error,warning "$deb" 2>&1)
lintian_status=$?
lintian_out=$(printf '%s\n' "$lintian_out" | grep -v '^running with root privileges' || true)
if [ -z "$lintian_out" ]; then
    say "lintian $(lintian --print-version): no tags"
else
    printf '%s\n' "$lintian_out" | sed 's/^/package: lintian: /'
fi
if [ $lintian_status -ne 0 ] || printf '%s\n' "$lintian_out" | grep -q '^[EW]: '; then
    fail "lintian reports errors or warnings"
fi

dpkg-deb -x "$deb" "$work/root"
dpkg-deb -e "$deb" "$work/control"
for script in preinst postinst prerm postrm; do
    if [ -e "$work/control/$script" ]; then
        fail "the package has a maintainer script $script: $(tr '\n' ' ' <"$work/control/$script")"
    fi
done

# Hardening of every ELF file: headers, program headers, dynamic section and
# dynamic symbols (which stripping keeps).
check_hardening() { # file label is-program
    local file=$1 label=$2 program=$3
    local header segments dynamic symbols
    header=$(readelf -hW "$file")
    segments=$(readelf -lW "$file")
    dynamic=$(readelf -dW "$file")
    symbols=$(readelf --dyn-syms -W "$file")
    grep -Eq '^ *Type: +DYN ' <<<"$header" || fail "$label: not position-independent (type is not DYN)"
    if [ "$program" = yes ]; then
        grep -Eq '\(FLAGS_1\).*\bPIE\b' <<<"$dynamic" || fail "$label: FLAGS_1 lacks PIE"
    fi
    grep -q 'GNU_RELRO' <<<"$segments" || fail "$label: no GNU_RELRO segment"
    grep -Eq '\(BIND_NOW\)|\(FLAGS\).*\bBIND_NOW\b|\(FLAGS_1\).*\bNOW\b' <<<"$dynamic" ||
        fail "$label: not bound at start-up (no BIND_NOW, only partial RELRO)"
    grep -q ' __stack_chk_fail\b' <<<"$symbols" || fail "$label: no __stack_chk_fail (no stack protector)"
    say "$label: $(sed -n 's/^ *Type: *//p' <<<"$header"); $(grep -Eo '\((FLAGS|FLAGS_1)\).*' <<<"$dynamic" | tr -s ' ' | tr '\n' ';') GNU_RELRO $(grep -c GNU_RELRO <<<"$segments"); __stack_chk_fail $(grep -c ' __stack_chk_fail\b' <<<"$symbols"); checked functions: $(grep -Eo ' __[a-z_]+_chk\b' <<<"$symbols" | grep -v __stack_chk_fail | sort -u | tr -d ' ' | tr '\n' ' ' | grep . || echo none)"
}
elf_count=0
while IFS= read -r -d '' file; do
    if [ "$(head -c 4 "$file" | od -An -c | tr -d ' ')" = '177ELF' ]; then
        elf_count=$((elf_count + 1))
        is_program=no
        case "$file" in */usr/bin/*) is_program=yes ;; esac
        check_hardening "$file" "${file#"$work/root"}" "$is_program"
    fi
done < <(find "$work/root" -type f -print0)
[ -x "$work/root/usr/bin/kolvart" ] || fail "the package has no usr/bin/kolvart"

probe_symbols=$(readelf --dyn-syms -W "$probe")
if grep -q ' __memcpy_chk\b' <<<"$probe_symbols"; then
    say "fortify probe: calls __memcpy_chk (_FORTIFY_SOURCE is in effect)"
else
    fail "fortify probe: no __memcpy_chk, so the build does not define _FORTIFY_SOURCE"
fi

# Manual pages: man's own check (the one lintian runs), the version, and no
# @VARIABLE@ left over from configuring.
pages=()
while IFS= read -r -d '' page; do pages+=("$page"); done \
    < <(find "$work/root/usr/share/man" -name '*.gz' -print0 2>/dev/null)
[ ${#pages[@]} -gt 0 ] || fail "the package has no manual page"
for page in "${pages[@]}"; do
    label=${page#"$work/root"}
    warnings=$(man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$label: man --warnings: $warnings"
    source=$(gzip -dc "$page")
    grep -Eq "^\.TH .*\"Kolvart ${display_version//./\\.}\"" <<<"$source" ||
        fail "$label: its title line does not name Kolvart $display_version"
    ! grep -q '@[A-Z_]*@' <<<"$source" || fail "$label: holds an unconfigured @VARIABLE@"
    say "$label: $(grep -c . <<<"$source") source lines, man --warnings quiet"
done

# The changelog names the package's version at its top.
changelog="$work/root/usr/share/doc/kolvart/changelog.gz"
if [ -f "$changelog" ]; then
    gzip -dc "$changelog" >"$work/changelog"
    changelog_version=$(dpkg-parsechangelog -l "$work/changelog" -S Version)
    package_version=$(dpkg-deb -f "$deb" Version)
    if [ "$changelog_version" != "$package_version" ]; then
        fail "changelog version $changelog_version is not the package version $package_version"
    else
        say "changelog: version $changelog_version, as the package"
    fi
else
    fail "the package has no usr/share/doc/kolvart/changelog.gz"
fi

if [ $failures -ne 0 ]; then
    say "$failures check(s) failed; the package and its contents are in $work"
    exit 1
fi
say "all checks passed ($elf_count ELF file(s), ${#pages[@]} manual page(s))"
