#!/usr/bin/env bash
# The bash completion of rigosim, run by bash itself: the words offered at each position,
# and every command of the built rigosim's usage offered.
#   rigosim_completion_test.sh COMPLETION RIGOSIM
set -u
completion=$1 rigosim=$2
failures=0

fail()
{
    echo "FAIL: $*"
    failures=$((failures + 1))
}

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

expect()
{
    local got
    got=$(offered "$1")
    [[ $got == "$2" ]] || fail "'$1' offers '$got', expected '$2'"
}

expect "rigosim r" "rd remove run"
expect "rigosim --v" "--version"
expect "rigosim create bo" "board"
expect "rigosim create board " "avin belk corv dern"
expect "rigosim add board 4 0x2d " "--replace"
expect "rigosim trace board " "--clear --vcd"
expect "rigosim load board --" "--device --at --raw"
expect "rigosim fault board " "mem i2c --clear"
expect "rigosim fault board i2c " "open nack"
expect "rigosim fault board i2c nack bus=4 a" "addr= after="
expect "rigosim run board --un" "--unsafe-direct"
expect "rigosim run board -- rigosim_completion_test_no" ""
expect "rigosim run board --realtime -- bas" "$(echo $(compgen -c -- bas))"
expect "rigosim run board bash bo" "board"
expect "rigosim get board 4 " ""

for command in $("$rigosim" --help | sed -n 's/^.*rigosim \([a-z]*\) .*/\1/p' | sort -u); do
    [[ " $(offered "rigosim ") " == *" $command "* ]] || fail "usage command $command is not offered"
done

if ((failures > 0)); then
    echo "$failures failures"
    exit 1
fi
echo "rigosim completion: all checks passed"
