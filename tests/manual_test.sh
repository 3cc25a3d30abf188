#!/usr/bin/env bash
# The manual pages: groff formats them without a warning, and they describe every command
# that the help of the built rigo and the usage of rigosim name.
#   manual_test.sh RIGO_PAGE RIGOSIM_PAGE RIGO RIGOSIM
set -u
rigo_page=$1 rigosim_page=$2 rigo=$3 rigosim=$4
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

if ! command -v groff >/dev/null; then
    echo "groff is not installed"
    exit 77
fi

for page in "$rigo_page" "$rigosim_page"; do
    warnings=$(groff -man -Tutf8 -ww -z "$page" 2>&1)
    [[ -z $warnings ]] || fail "$page: $warnings"
    # Section 8 (they need root), dated.
    grep -qE '^\.TH [A-Z]+ 8 "[0-9]{4}-[0-9]{2}-[0-9]{2}" ' "$page" || fail "$page: .TH is not section 8 with a date"
    for section in NAME SYNOPSIS DESCRIPTION "EXIT STATUS" EXAMPLES "SEE ALSO"; do
        grep -q "^\.SH \"\?$section\"\?$" "$page" || fail "$page has no $section section"
    done
done

board=$(mktemp -d)
trap 'rm -rf "$board"' EXIT
"$rigosim" create "$board/b" belk || { echo "FAIL: rigosim"; exit 1; }
help=$("$rigosim" run "$board/b" -- "$rigo" 2>&1 >/dev/null)
[[ $help == *"MEMORY DUMP"* ]] || fail "no help text from rigo: $help"
for word in $(sed -n 's/^| *\(-[a-zA-Z][^ ]*\).*/\1/p' <<<"$help" | tr / '\n' | sort -u); do
    grep -qiE "\\\\-${word:1}([^a-z0-9]|$)" "$rigo_page" || fail "$rigo_page does not describe $word"
done

usage=$("$rigosim" --help)
for command in $(sed -n 's/^.*rigosim \([a-z]*\) .*/\1/p' <<<"$usage" | sort -u); do
    grep -q "^\.B rigosim $command\$" "$rigosim_page" || fail "$rigosim_page has no synopsis of $command"
    grep -q "^\.B $command " "$rigosim_page" || fail "$rigosim_page does not describe $command"
done

((failures == 0)) || { echo "$failures failures"; exit 1; }
echo "manual: all checks passed"
