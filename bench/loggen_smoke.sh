#!/usr/bin/env bash
# Smoke test of velmora-loggen as users run it: every format, the line counts, the shape of the
# first fields, gzip and bzip2 outputs that the standard tools accept, the same bytes for the
# same seed, and usage errors reported with exit status 2.
# Usage: loggen_smoke.sh PATH-TO-velmora-loggen WORK-DIR
set -uo pipefail

tool=$1
work=$2
lines=300
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

rm -rf "$work"
mkdir -p "$work" || exit 1

# Data lines (without the W3C directives) of a plain file.
data_lines() { grep -cv '^#' "$1"; }

# format, pattern the first data line must match
checks=(
  "combined|^[^ ]+ - [^ ]+ \[[0-9]{2}/[A-Z][a-z]{2}/2026:[0-9]{2}:[0-9]{2}:[0-9]{2} \+0000\] \"(GET|HEAD|POST) /[^ ]* HTTP/1\.[01]\" [0-9]{3} ([0-9]+|-) \"[^\"]+\" \"[^\"]+\"$"
  "common|^[^ ]+ - [^ ]+ \[[0-9]{2}/[A-Z][a-z]{2}/2026:[0-9]{2}:[0-9]{2}:[0-9]{2} \+0000\] \"(GET|HEAD|POST) /[^ ]* HTTP/1\.[01]\" [0-9]{3} ([0-9]+|-)$"
  "w3c|^2026-11-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2} [0-9.]+ [^ ]+ 203\.0\.113\.10 (80|443) (GET|HEAD|POST) /"
  "iis|^[0-9.]+, [^,]+, 11/[0-9]{1,2}/2026, [0-9]{2}:[0-9]{2}:[0-9]{2}, W3SVC1, WEB01, 203\.0\.113\.10, [0-9]+, [0-9]+, [0-9]+, [0-9]{3}, [0-9]+, (GET|HEAD|POST), /[^,]*, [^,]+,$"
  "tsv|^11/[0-9]{2}/26 [0-9]{2}:[0-9]{2}:[0-9]{2}	[0-9.]+	203\.0\.113\.10	"
)

for check in "${checks[@]}"; do
  format=${check%%|*}
  pattern=${check#*|}
  out="$work/$format.log"
  if ! "$tool" --format "$format" --lines $lines --seed 3 --days 3 -o "$out"; then
    fail "$format: the tool failed"
    continue
  fi
  count=$(data_lines "$out")
  [ "$count" -eq $lines ] || fail "$format: $count data lines, expected $lines"
  first=$(grep -v '^#' "$out" | head -n 1)
  echo "$first" | grep -Eq "$pattern" || fail "$format: first line has the wrong shape: $first"
  bad=$(grep -v '^#' "$out" | grep -Evc "$pattern")
  [ "$bad" -eq 0 ] || fail "$format: $bad lines do not have the layout's shape"
done

# W3C: the directive block opens the file and comes back for each new day.
w3c="$work/w3c.log"
head -n 4 "$w3c" | grep -q '^#Software: ' || fail "w3c: no #Software directive first"
grep -q '^#Version: 1.0$' "$w3c" || fail "w3c: no #Version directive"
grep -q '^#Fields: date time c-ip cs-username s-ip s-port cs-method cs-uri-stem cs-uri-query sc-status sc-bytes cs-bytes time-taken cs(User-Agent) cs(Referer)$' "$w3c" \
  || fail "w3c: #Fields directive differs"
days=$(grep -c '^#Date: ' "$w3c")
[ "$days" -ge 2 ] && [ "$days" -le 3 ] || fail "w3c: $days #Date directives for 3 days"

# TSV: thirteen columns on every line.
awk -F'\t' 'NF != 13 { bad++ } END { exit bad > 0 }' "$work/tsv.log" || fail "tsv: a line without 13 columns"

# Compressed outputs: by the name's ending and by --compress, with standard output too.
"$tool" --format combined --lines $lines --seed 3 -o "$work/c.log.gz" || fail "gzip: the tool failed"
gzip -t "$work/c.log.gz" || fail "gzip: the output does not decompress"
[ "$(gzip -dc "$work/c.log.gz" | wc -l)" -eq $lines ] || fail "gzip: wrong line count"
"$tool" --format combined --lines $lines --seed 3 -o "$work/plain.log"
gzip -dc "$work/c.log.gz" | cmp -s - "$work/plain.log" || fail "gzip: content differs from plain output"

"$tool" --format iis --lines $lines --compress bzip2 -o "$work/i.log" || fail "bzip2: the tool failed"
bzip2 -t "$work/i.log" || fail "bzip2: the output does not decompress"
[ "$(bzip2 -dc "$work/i.log" | wc -l)" -eq $lines ] || fail "bzip2: wrong line count"
"$tool" --format w3c --lines $lines --compress gzip > "$work/stdout.gz" || fail "gzip to stdout failed"
gzip -t "$work/stdout.gz" || fail "gzip to stdout does not decompress"
"$tool" --format tsv --lines 50 --compress none -o "$work/forced.gz" || fail "--compress none failed"
[ "$(wc -l < "$work/forced.gz")" -eq 50 ] || fail "--compress none did not win over the name"

# Determinism: same seed, same bytes; another seed, other bytes.
"$tool" --format combined --lines $lines --seed 3 > "$work/again.log"
cmp -s "$work/again.log" "$work/plain.log" || fail "the same seed gave different output"
"$tool" --format combined --lines $lines --seed 4 > "$work/other.log"
cmp -s "$work/other.log" "$work/plain.log" && fail "another seed gave the same output"

# Usage errors exit with 2 and say what is wrong; --help exits with 0.
for args in "--lines 10" "--format combined" "--format xml --lines 10" "--format w3c --lines x" \
            "--format w3c --lines 10 --start 2026-02-30" "--format w3c --lines 10 --days 0" \
            "--format w3c --lines 10 --compress zip" "--format w3c --lines 10 --bogus 1" \
            "--format w3c --lines"; do
  # shellcheck disable=SC2086
  "$tool" $args > /dev/null 2> "$work/err.txt"
  status=$?
  [ $status -eq 2 ] || fail "'$args' exited with $status, expected 2"
  grep -q 'velmora-loggen: ' "$work/err.txt" || fail "'$args' gave no message"
done
"$tool" --help | grep -q -- '--format' || fail "--help does not describe --format"
"$tool" --format combined --lines 5 -o "$work/no-such-dir/x.log" 2> /dev/null
[ $? -eq 1 ] || fail "an unwritable output did not exit with 1"

if [ $failures -ne 0 ]; then
  echo "loggen smoke test: $failures failure(s)" >&2
  exit 1
fi
echo "loggen smoke test: all checks passed"
