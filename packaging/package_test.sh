#!/usr/bin/env bash
# The Debian package as a user gets it: made by CPack from the built release tree (no second
# build), checked for its name, fields and files, unpacked into a temporary root and run from
# there: --version, --help, the demo's main job (a workspace, a parse run, every report exported),
# the manual page as man renders it, and the installed bash completion. Exits 77 (skipped) where
# the packaging tools are missing.
#   package_test.sh BUILD_DIR LOGGEN VERSION
set -euo pipefail
build=$1 loggen=$2 version=$3

for tool in cpack dpkg-deb dpkg-shlibdeps man readelf bash; do
  if ! command -v "$tool" >/dev/null; then
    echo "skipped: $tool is not installed (scripts/install-deps installs it)"
    exit 77
  fi
done
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

cpack -G DEB -B "$tmp/out" --config "$build/CPackConfig.cmake" >"$tmp/cpack.log" 2>&1 ||
  { cat "$tmp/cpack.log" >&2; echo "FAIL: cpack" >&2; exit 1; }
deb=$tmp/out/velmora_${version}-1_amd64.deb
[ -f "$deb" ] || { ls "$tmp/out" >&2; echo "FAIL: no $(basename "$deb")" >&2; exit 1; }

# --- fields: Depends names the packages of the libraries the binary links, and nothing else
field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = velmora ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "${version}-1" ] || fail "Version is '$(field Version)'"
[ "$(field Architecture)" = amd64 ] || fail "Architecture is '$(field Architecture)'"
root=$tmp/root
dpkg-deb -x "$deb" "$root"
bin=$root/usr/bin/velmora
linked=$(readelf -d "$bin" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' | while read -r lib; do
  path=$(ldconfig -p | awk -v lib="$lib" '$1 == lib && /x86-64/ {print $NF; exit}')
  dpkg -S "$(readlink -f "$path")" 2>/dev/null || dpkg -S "$path"
done | sed 's/:.*//' | sort -u)
depends=$(field Depends | tr ',' '\n' | sed 's/^ *//; s/ .*//' | sort -u)
[ -n "$depends" ] && [ "$depends" = "$linked" ] ||
  fail "Depends ($(echo $depends)) is not the packages of the linked libraries ($(echo $linked))"
if readelf -d "$bin" | grep -Eq 'RPATH|RUNPATH'; then fail "the binary keeps a build-tree RPATH"; fi
if readelf -S "$bin" | grep -q '\.debug_info'; then fail "the binary is not stripped"; fi

# --- files
contents=$(dpkg-deb --contents "$deb" | awk '{print $NF}')
for f in ./usr/bin/velmora ./usr/share/man/man1/velmora.1.gz \
  ./usr/share/bash-completion/completions/velmora ./usr/share/applications/velmora.desktop \
  ./usr/share/mime/packages/velmora.xml ./usr/share/doc/velmora/copyright \
  ./usr/share/doc/velmora/README.md ./usr/share/doc/velmora/ip-table.md; do
  grep -qxF "$f" <<<"$contents" || fail "the package lacks $f"
done
grep -q 'License: PDDL-1.0' "$root/usr/share/doc/velmora/copyright" || fail "copyright lacks PDDL"
[ -z "$(find "$root" ! -user "$(id -un)" -o -perm -o+w ! -type l)" ] || fail "odd owners or modes"

# --- the installed program, with nothing of the build tree or the user's home
run() {
  env -i PATH=/usr/bin:/bin HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/home/config" \
    XDG_DOCUMENTS_DIR="$tmp/home/Documents" "$bin" "$@"
}
mkdir -p "$tmp/home"
[ "$(run --version)" = "velmora $version" ] || fail "--version says '$(run --version)'"
help=$(run --help) || fail "--help exits $?"
grep -q 'Subcommands:' <<<"$help" || fail "--help lists no commands"

ws=$tmp/home/sites/demo
run --yes new demo --path "$tmp/home/sites" --server-names www.example.com >/dev/null ||
  fail "new demo"
"$loggen" --format combined --lines 3000 --seed 1 --start 2026-11-01 --days 3 --compress gzip \
  -o "$ws/logs/access.log.gz" >/dev/null
run -w "$ws" parse >"$tmp/parse.out" 2>&1 || { cat "$tmp/parse.out"; fail "parse"; }
[ "$(run -w "$ws" dump Sessions | wc -l)" -gt 100 ] || fail "parse made too few visits"
run -w "$ws" export all >/dev/null 2>&1 || fail "export all"
page="$ws/export/All Reports.htm"
[ -s "$page" ] && grep -qi '<img' "$page" || fail "export made no page with pictures"
compgen -G "$ws/export/All Reports.files/*.png" >/dev/null || fail "export drew no chart"

# --- the manual page as man shows it
man_out=$(MANWIDTH=80 man --warnings -l "$root/usr/share/man/man1/velmora.1.gz" 2>&1)
if grep -i 'warning' <<<"$man_out"; then fail "man warns"; fi
for heading in NAME SYNOPSIS DESCRIPTION OPTIONS COMMANDS 'EXIT STATUS' FILES EXAMPLES; do
  grep -qx "$heading" <<<"$man_out" || fail "the page has no $heading"
done
for command in $(sed -n '/^Subcommands:/,/^$/s/^  \([a-z-]*\) .*/\1/p' <<<"$help"); do
  grep -q "^   velmora $command\$" <<<"$man_out" || fail "the page has no section for $command"
done

# --- the installed completion
offered=$(bash --norc --noprofile -c 'source "$1"; COMP_WORDS=(velmora dump Sess); COMP_CWORD=2
  _velmora; echo "${COMPREPLY[*]}"; complete -p velmora' bash \
  "$root/usr/share/bash-completion/completions/velmora")
[ "$offered" = "Sessions
complete -o default -F _velmora velmora" ] || fail "completion offers: $offered"

[ "$failures" -eq 0 ] || exit 1
echo "package $(basename "$deb"): $(du -k "$deb" | cut -f1) KiB, Depends: $(field Depends)"
