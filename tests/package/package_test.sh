#!/usr/bin/env bash
# The Debian package as a distribution would check it.
#
#   package_test.sh SOURCE_DIR WORK_DIR FORTIFY_PROBE DISPLAY_VERSION RELEASE_DATE
#
# Builds the package twice from the sources, as ./dev.sh deb does (configure
# preset release, build, cpack under umask 022), in two folders under
# WORK_DIR: once from SOURCE_DIR itself under umask 022, the locale
# C.UTF-8 and the time zone UTC; once from a copy of the sources, whose files
# carry another modification time, under umask 077, LANG=nl_NL.UTF-8 and a
# time zone 14 hours ahead of UTC; neither with SOURCE_DATE_EPOCH.  Checks:
#   - the two packages are the same bytes; on a difference it names the
#     member (debian-binary, control.tar.*, data.tar.*) and the file in it,
#     with the first byte that differs and, in a program, the ELF sections
#     that differ;
#   - packed under umask 077, the package holds the same members (only the
#     modes in its ar header follow the umask);
#   - every member and every file in it is dated RELEASE_DATE, 00:00 UTC;
# and, on the first package:
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
export LC_ALL=C.UTF-8 TZ=UTC

say() { printf 'package: %s\n' "$*"; }
failures=0
fail() {
    say "FAIL: $*"
    failures=$((failures + 1))
}

if [ $# -ne 5 ]; then
    echo "usage: $0 SOURCE_DIR WORK_DIR FORTIFY_PROBE DISPLAY_VERSION RELEASE_DATE" >&2
    exit 2
fi
source_dir=$1
work=$2
probe=$3
display_version=$4
release_date=$5

# Each tool with the Debian package that brings it (./dev.sh test installs them).
missing=()
for pair in cmake:cmake cpack:cmake ninja:ninja-build lintian:lintian man:man-db \
    readelf:binutils ar:binutils dpkg-deb:dpkg dpkg-parsechangelog:dpkg-dev \
    dpkg-shlibdeps:dpkg-dev file:file; do
    command -v "${pair%%:*}" >/dev/null || missing+=("${pair#*:}")
done
if [ ${#missing[@]} -ne 0 ]; then
    reason="missing tools; install the Debian packages: $(printf '%s\n' "${missing[@]}" | sort -u | tr '\n' ' ')"
    # Skipped (77), unless the run demands every tool (as ./dev.sh does).
    if [ "${KOLVART_TEST_REQUIRE_ALL:-}" = 1 ]; then
        say "FAIL: $reason"
        exit 1
    fi
    say "skipped: $reason"
    exit 77
fi

rm -rf "$work"
mkdir -p "$work"

# run_as UMASK VAR=VALUE... -- COMMAND...: runs COMMAND under UMASK with the
# given locale and time zone and nothing else of the caller's (nor
# SOURCE_DATE_EPOCH, so that the project's own date is the one tested).
run_as() {
    local mask=$1 vars=()
    shift
    while [ "$1" != -- ]; do
        vars+=("$1")
        shift
    done
    shift
    (
        unset SOURCE_DATE_EPOCH LANG LANGUAGE TZ "${!LC_@}"
        export "${vars[@]}"
        umask "$mask"
        "$@"
    )
}

configure_and_build() { # SOURCE TREE
    cd "$1" && cmake --preset release -B "$2" && cmake --build "$2" -j "${CMAKE_BUILD_PARALLEL_LEVEL:-2}"
}

# build NAME SOURCE UMASK VAR=VALUE...: configures SOURCE with the preset
# release into WORK_DIR/NAME/build and builds it, under UMASK and VAR=VALUE.
build() {
    local name=$1 source=$2 mask=$3
    shift 3
    local tree="$work/$name/build" log="$work/$name/build.log"
    mkdir -p "$work/$name"
    say "$name: building $source in $tree under umask $mask $*"
    if ! run_as "$mask" "$@" -- configure_and_build "$source" "$tree" >"$log" 2>&1; then
        tail -n 30 "$log"
        say "FAIL: $name: the release build failed (log: $log)"
        exit 1
    fi
}

# pack NAME OUT UMASK VAR=VALUE...: cpack of WORK_DIR/NAME/build into OUT;
# sets deb to the package.
pack() {
    local name=$1 out=$2 mask=$3
    shift 3
    if ! run_as "$mask" "$@" -- cpack -G DEB --config "$work/$name/build/CPackConfig.cmake" -B "$out" \
        >"$out.log" 2>&1; then
        cat "$out.log"
        say "FAIL: $name: cpack could not build the package"
        exit 1
    fi
    local debs=("$out"/*.deb)
    if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
        say "FAIL: expected one package in $out, found: ${debs[*]}"
        exit 1
    fi
    deb=${debs[0]}
}

# elf_sections FILE: one line "START END NAME" (byte offsets, END excluded)
# for each ELF section that FILE holds bytes of; nothing for another file.
elf_sections() {
    local line
    while read -r line; do
        [[ $line =~ ^\[\ *[0-9]+\]\ +([^ ]+)\ +([^ ]+)\ +[0-9a-f]+\ +([0-9a-f]+)\ +([0-9a-f]+) ]] || continue
        [ "${BASH_REMATCH[2]}" != NOBITS ] || continue
        printf '%d %d %s\n' $((16#${BASH_REMATCH[3]})) $((16#${BASH_REMATCH[3]} + 16#${BASH_REMATCH[4]})) \
            "${BASH_REMATCH[1]}"
    done < <(readelf -SW "$1" 2>/dev/null)
}

# differing_bytes A B: how many bytes differ and where the first one is;
# in an ELF file also the sections the differing bytes lie in.
differing_bytes() {
    local first count sections
    first=$(cmp "$1" "$2" 2>&1 | sed -n 's/.* differ: byte \([0-9]*\),.*/\1/p')
    if [ -z "$first" ]; then
        cmp "$1" "$2" 2>&1 | sed 's/.*: //' # sizes differ: "EOF on ..."
        return
    fi
    count=$(cmp -l "$1" "$2" | wc -l)
    sections=$(cmp -l "$1" "$2" | awk '
        NR == FNR { start[n] = $1; end[n] = $2; name[n] = $3; n++; next }
        {
            offset = $1 - 1; where = "(outside the sections)"
            for (i = 0; i < n; i++) if (offset >= start[i] && offset < end[i]) { where = name[i]; break }
            if (!(where in seen)) { seen[where] = 1; list = list (list == "" ? "" : ", ") where }
        }
        END { print list }' <(elf_sections "$1") -)
    [ -n "$(elf_sections "$1")" ] || sections=
    printf '%s byte(s) differ, the first at offset %s%s\n' "$count" $((first - 1)) "${sections:+; in ELF sections $sections}"
}

# compare_tar LABEL A B: names what differs between the tar archives A and B
# (two members of the same name): the files whose entry (mode, owner, size,
# date) or contents differ, or else the compression.
compare_tar() {
    local label=$1 a=$2 b=$3 dir listing_a listing_b entry_diff found=0
    dir=$(mktemp -d "$work/compare.XXXXXX")
    mkdir "$dir/a" "$dir/b"
    listing_a=$(tar --list --verbose --full-time --numeric-owner -f "$a")
    listing_b=$(tar --list --verbose --full-time --numeric-owner -f "$b")
    entry_diff=$(diff <(printf '%s\n' "$listing_a") <(printf '%s\n' "$listing_b") | grep '^[<>]')
    if [ -n "$entry_diff" ]; then
        fail "$label: the entries differ (< first package, > second):"
        printf '%s\n' "$entry_diff" | sed 's/^/package:     /'
        found=1
    fi
    tar -xf "$a" -C "$dir/a" && tar -xf "$b" -C "$dir/b"
    while IFS= read -r -d '' file; do
        file=${file#"$dir/a/"}
        if [ -f "$dir/b/$file" ] && ! cmp -s "$dir/a/$file" "$dir/b/$file"; then
            fail "$label: $file differs: $(differing_bytes "$dir/a/$file" "$dir/b/$file")"
            if grep -qI . "$dir/a/$file" && grep -qI . "$dir/b/$file"; then
                diff "$dir/a/$file" "$dir/b/$file" | grep '^[<>]' | head -n 20 | sed 's/^/package:     /'
            fi
            found=1
        fi
    done < <(find "$dir/a" -type f -print0 | sort -z)
    if [ $found -eq 0 ]; then
        fail "$label: the same files with the same entries, but the archive's bytes differ (compression or tar headers): $(differing_bytes "$a" "$b")"
    fi
    rm -rf "$dir"
}

# compare_debs LABEL A B [members]: names what differs between the packages A
# and B: the ar header (names, order, modes, owners, sizes, dates; left out
# with "members") and each member that differs, down to the file in it.
compare_debs() {
    local label=$1 a=$2 b=$3 what=${4:-all} dir header_diff member
    dir=$(mktemp -d "$work/compare.XXXXXX")
    mkdir "$dir/a" "$dir/b"
    (cd "$dir/a" && ar x "$a") && (cd "$dir/b" && ar x "$b")
    if [ "$what" = all ]; then
        header_diff=$(diff <(ar tv "$a") <(ar tv "$b") | grep '^[<>]')
        if [ -n "$header_diff" ]; then
            fail "$label: the ar header differs (< first package, > second):"
            printf '%s\n' "$header_diff" | sed 's/^/package:     /'
        fi
    fi
    for member in $( (ar t "$a" && ar t "$b") | sort -u); do
        if [ ! -f "$dir/a/$member" ] || [ ! -f "$dir/b/$member" ]; then
            fail "$label: $member is in one package only"
        elif ! cmp -s "$dir/a/$member" "$dir/b/$member"; then
            case $member in
            *.tar*) compare_tar "$label: $member" "$dir/a/$member" "$dir/b/$member" ;;
            *) fail "$label: $member differs: $(differing_bytes "$dir/a/$member" "$dir/b/$member")" ;;
            esac
        fi
    done
    rm -rf "$dir"
}

# The same package, byte for byte, from two builds that share nothing but the
# sources.  The copy's files are dated 2001-09-09: an input whose
# modification time reached the package would show.
env_a=(LANG=C.UTF-8 LC_ALL=C.UTF-8 TZ=UTC)
env_b=(LANG=nl_NL.UTF-8 LANGUAGE=nl TZ=KIR-14) # 14 hours ahead of UTC, no tzdata needed
mkdir -p "$work/b/src"
tar -C "$source_dir" --exclude-vcs --exclude-tag-all=CMakeCache.txt --exclude=./.cache -cf - . |
    tar -C "$work/b/src" -xf -
find "$work/b/src" -exec touch -h -d @1000000000 {} +
SECONDS=0
build a "$source_dir" 022 "${env_a[@]}"
pack a "$work/a/out" 022 "${env_a[@]}"
deb_a=$deb
build b "$work/b/src" 077 "${env_b[@]}"
pack b "$work/b/out" 022 "${env_b[@]}"
deb_b=$deb
say "built $(basename "$deb_a") twice in ${SECONDS}s"
sum_a=$(sha256sum "$deb_a" | cut -d' ' -f1)
sum_b=$(sha256sum "$deb_b" | cut -d' ' -f1)
if [ "$sum_a" = "$sum_b" ]; then
    say "both packages are the same bytes: sha256 $sum_a"
else
    fail "the two packages differ: sha256 $sum_a (a) and $sum_b (b)"
    compare_debs "a/b" "$deb_a" "$deb_b"
fi

# Packed under umask 077 the members are the same bytes; only the modes in
# the ar header follow the umask, which ./dev.sh deb sets to 022.
pack b "$work/b/out-umask077" 077 "${env_b[@]}"
failures_before=$failures
compare_debs "packed under umask 077" "$deb_a" "$deb" members
if [ $failures -eq "$failures_before" ]; then
    say "packed under umask 077: the same members (ar header modes $(ar tv "$deb" | cut -c1-9 | sort -u | tr '\n' ' ' | sed 's/ $//'))"
fi

# Every date in the package is the release date, at midnight UTC.
release_ar_date=$(date -u -d "$release_date" '+%b %e %H:%M %Y')
undated=$(ar tv "$deb_a" | grep -vF " $release_ar_date ")
if [ -z "$undated" ]; then
    say "ar header: every member dated $release_date 00:00 UTC"
else
    fail "ar members not dated $release_date 00:00 UTC: $(paste -sd ';' <<<"$undated")"
fi
dates_dir=$(mktemp -d "$work/dates.XXXXXX")
(cd "$dates_dir" && ar x "$deb_a")
for member in "$dates_dir"/*.tar*; do
    dates=$(tar --list --verbose --full-time -f "$member" | awk '{print $4 " " $5}' | sort -u | paste -sd ',')
    if [ "$dates" = "$release_date 00:00:00" ]; then
        say "$(basename "$member"): every file dated $release_date 00:00:00 UTC"
    else
        fail "$(basename "$member"): dated $dates, not only $release_date 00:00:00 UTC"
    fi
done
rm -rf "$dates_dir"

deb=$deb_a
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
