#!/usr/bin/env bash
# The bash completion of rigosim, run by bash itself: the words offered at each position,
# and every command of the built rigosim's usage offered.
#   rigosim_completion_test.sh COMPLETION RIGOSIM
set -u
completion=$1 rigosim=$2
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

source "$completion" || { echo "FAIL: $completion does not load"; exit 1; }
[[ $(complete -p rigosim) == "complete -F _rigosim rigosim" ]] || fail "complete -p rigosim: $(complete -p rigosim)"

folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
mkdir "$folder/board"
cd "$folder" || exit 1

offered()
{
    local line=$1
    read -ra COMP_WORDS <<<"$line"
    [[ $line == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _rigosim 2>/dev/null
    echo "${COMPREPLY[*]}"
}

# A line, then the words it offers.
while IFS='|' read -r line words; do
    got=$(offered "$line")
    [[ $got == "$words" ]] || fail "'$line' offers '$got', expected '$words'"
done <<EOF
rigosim r|rd remove run
rigosim create bo|board
rigosim create board |avin belk corv dern
rigosim trace board |--clear --vcd
rigosim fault board |mem i2c --clear
rigosim load board --|--device --at --raw
rigosim fault board i2c nack bus=4 a|addr= after=
rigosim run board -- rigosim_completion_test_no|
rigosim run board --realtime -- bas|$(echo $(compgen -c -- bas))
rigosim run board bash bo|board
rigosim get board 4 |
EOF

for command in $("$rigosim" --help | sed -n 's/^.*rigosim \([a-z]*\) .*/\1/p' | sort -u); do
    [[ " $(offered "rigosim ") " == *" $command "* ]] || fail "usage command $command is not offered"
done

((failures == 0)) || { echo "$failures failures"; exit 1; }
echo "rigosim completion: all checks passed"
