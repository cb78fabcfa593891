#!/usr/bin/env bash
# Builds the Debian package from this build tree and checks it as a user gets it: the
# files it holds, its programs run from an extracted copy without a display, its man
# pages render without warnings, its bash completion completes, and lintian finds no
# error in it.
# Usage: package_test.sh BUILD_DIR VERSION [CPACK]
set -euo pipefail
build=$1 version=$2 cpack=${3:-cpack}
# man-db's sandbox is not allowed in some containers; the pages are ours.
export MAN_DISABLE_SECCOMP=1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

if ! "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log" >&2
    fail "cpack -G DEB"
fi
deb=$work/ardenca_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || fail "no $deb"

listing=$(dpkg-deb -c "$deb" | awk '{print $6}')
for path in usr/bin/ardenca usr/bin/ardenca-cli \
    usr/share/applications/org.ardenca.Ardenca.desktop \
    usr/share/icons/hicolor/scalable/apps/org.ardenca.Ardenca.svg \
    usr/share/metainfo/org.ardenca.Ardenca.metainfo.xml \
    usr/share/mime/packages/org.ardenca.Ardenca.xml \
    usr/share/man/man1/ardenca.1.gz usr/share/man/man1/ardenca-cli.1.gz \
    usr/share/bash-completion/completions/ardenca-cli \
    usr/share/doc/ardenca/copyright usr/share/doc/ardenca/changelog.gz \
    usr/share/doc/ardenca/examples/default.gnd usr/share/doc/ardenca/examples/sweeps/site-a.s1p; do
    grep -qx "\./$path" <<<"$listing" || fail "not in the package: $path"
done
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version is not $version"
# The libraries the programs link come from dpkg-shlibdeps.
depends=$(dpkg-deb -f "$deb" Depends)
for package in libc6 libstdc++6 libqt6widgets6 libqt6svg6 libtbb12; do
    [[ ", $depends," == *", $package "* ]] || fail "Depends lacks $package: $depends"
done

root=$work/root
dpkg -x "$deb" "$root"
bin=$root/usr/bin
# The software centre's release list starts with this version.
grep -q "<release version=\"$version\"" "$root/usr/share/metainfo/org.ardenca.Ardenca.metainfo.xml" ||
    fail "the metainfo's releases do not list $version"
for program in ardenca ardenca-cli; do
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$bin/$program" --version) ||
        fail "$program --version exited with $?"
    [ "$out" = "ardenca $version" ] || fail "$program --version printed '$out'"
done
# A reading given by the named options reads as its --set twin does.
named=$("$bin/ardenca-cli" --spacing .1 --radius .007 --length .55 --freq 7 --r 49.5094 \
    --x -53.5552 --json calculate)
set=$("$bin/ardenca-cli" --set Text1=.1 --set Text2=.007 --set Text3=.55 --set Text8=7 \
    --set Text23=49.5094 --set Text24=-53.5552 --json calculate)
[ "$named" = "$set" ] || fail "the named options and --set differ"
[[ $named == *'"Text10": "38.957431"'* ]] || fail "unexpected ground: $named"

# The man pages render, without a warning from man or groff, with their sections.
for page in ardenca ardenca-cli; do
    text=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$root/usr/share/man/man1/$page.1.gz" \
        2>"$work/man.err") || fail "man -l $page.1.gz"
    [ ! -s "$work/man.err" ] || fail "man -l $page.1.gz: $(cat "$work/man.err")"
    for want in NAME SYNOPSIS "$page \[" OPTIONS --version FILES "EXIT STATUS"; do
        grep -q -- "$want" <<<"$text" || fail "$page(1) lacks '$want'"
    done
done
cli_page=$(LC_ALL=C.UTF-8 man -l "$root/usr/share/man/man1/ardenca-cli.1.gz")
for want in --spacing --set "ardenca-cli sweep" "--method all|classic" "ardenca-cli read"; do
    grep -q -- "$want" <<<"$cli_page" || fail "ardenca-cli(1) lacks '$want'"
done

# Bash completion, in a folder of files of several kinds.
completion=$root/usr/share/bash-completion/completions/ardenca-cli
mkdir -p "$work/files/folder"
touch "$work/files/set-up.gnd" "$work/files/site.s1p" "$work/files/SITE2.S2P" "$work/files/notes.txt"
# Given the words of a command line, the last being completed, prints the offers sorted.
offers() {
    (cd "$work/files" && bash -c 'source "$1" && complete -p ardenca-cli >/dev/null || exit 9
        shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _ardenca_cli
        printf "%s\n" "${COMPREPLY[@]}"' _ "$completion" ardenca-cli "$@") | LC_ALL=C sort | xargs
}
expect() {
    local want=$1
    shift
    local got
    got=$(offers "$@")
    [ "$got" = "$want" ] || fail "completing 'ardenca-cli $*' offered '$got', not '$want'"
}
expect "sweep" sw
expect "calc-line calc-medium calculate calculate-a calculate-b" calc
expect "" calc-line sw
expect "--option" --opt
expect "matching none" --option ""
expect "matching" --option = m
expect "--meter --method" sweep --me
expect "all classic" sweep --method ""
expect "GHz Hz MHz kHz" read --freq-unit ""
expect "" sweep --nec-at ""
expect "SITE2.S2P folder notes.txt set-up.gnd site.s1p" sweep --nec-at 7 ""
expect "folder set-up.gnd" sweep --setup ""
expect "SITE2.S2P folder site.s1p" sweep ""
expect "folder set-up.gnd" open = ""
expect "open=set-up.gnd" open=s
expect "" --freq ""
expect "Text30= Text31= Text32= Text33= Text3=" --set Text3
expect "" --set Text8 = ""

# lintian: no error. Its warnings are printed for the log.
command -v lintian >/dev/null || fail "lintian is missing (scripts/ensure_packages.sh installs it)"
if ! lintian --fail-on error "$deb" >"$work/lintian.log" 2>&1; then
    cat "$work/lintian.log" >&2
    fail "lintian found errors"
fi
grep -v "running with root privileges" "$work/lintian.log" || true
echo "package $(basename "$deb") passes"
