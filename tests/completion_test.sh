#!/usr/bin/env bash
# The bash completion of rigo, run by bash itself: the words offered at each position of
# the command forms, and the rail names and command words checked against what the built
# rigo reports on a simulated board.
#   completion_test.sh COMPLETION RIGO RIGOSIM
set -u
completion=$1 rigo=$2 rigosim=$3
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

source "$completion" || { echo "FAIL: $completion does not load"; exit 1; }
[[ $(complete -p rigo) == "complete -F _rigo rigo" ]] || fail "complete -p rigo: $(complete -p rigo)"

# The words offered for a command line; a line that ends in a blank completes a new word.
offered()
{
    local line=$1
    COMP_LINE=$line COMP_POINT=${#line}
    read -ra COMP_WORDS <<<"$line"
    [[ $line == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _rigo
    echo "${COMPREPLY[*]}"
}

tps65911="VIO VDD1 VDD2 VDDCTRL VDDCTRLSR LDO1 LDO2 LDO3 LDO4 LDO5 LDO6 LDO7 LDO8"
outputs="OUT0 OUT1 OUT2 OUT3"
boards=$(echo BRD{01..18})

# A line, then the words it offers.
while IFS='|' read -r line words; do
    got=$(offered "$line")
    [[ $got == "$words" ]] || fail "'$line' offers '$got', expected '$words'"
done <<EOF
rigo -TPS659|-tps65911 -tps65913
rigo -FREQ e|EMC
rigo -freq OSC |
rigo -pll |list PLLC PLLM PLLP PLLX PLLA PLLD PLLU PLLE PLLS
rigo -tps65911 |list $tps65911 bypass
rigo -tps65911 ldo|LDO1 LDO2 LDO3 LDO4 LDO5 LDO6 LDO7 LDO8
rigo -tps65911 vdd1 o|ON OFF
rigo -tps65911 VDD1 1200 |
rigo -tps65911 4 |
rigo -tps65911 4 0x2d VDD2 |ON OFF
rigo -tps65911 bypass 4 0x2d |LDO7 LDO8
rigo -tps65913 bypass |
rigo -max77664 dvs|DVSSD0 DVSSD1
rigo -ds4422n |list $boards
rigo -ds4424n list BRD01 |
rigo -ds4422n brd05 4 0x10 |$outputs
rigo -ds4422n 4 0x10 OUT3 |
rigo -check golden.plan |
EOF

# Against the built rigo: every command of its help text is offered, and every regulator
# command offers exactly the names its "Valid Voltage names" listing shows.
board=$(mktemp -d)
trap 'rm -rf "$board"' EXIT
"$rigosim" create "$board/b" belk && "$rigosim" add "$board/b" 1 || { echo "FAIL: rigosim"; exit 1; }
on_board()
{
    "$rigosim" run "$board/b" -- "$rigo" "$@"
}

commands=$(offered "rigo ")
[[ $(offered "rigo -check $board/") == "$board/b" ]] || fail "-check does not complete a file"
help=$(on_board 2>&1 >/dev/null)
[[ $help == *"MEMORY DUMP"* ]] || fail "no help text from rigo: $help"
for word in $(sed -n 's/^| *\(-[a-zA-Z][^ ]*\).*/\1/p' <<<"$help" | tr / '\n' | sort -u); do
    _rigo_is "$word" "$commands" || fail "help command $word is not offered"
done

for command in $commands; do
    rails="" switched=""
    _rigo_regulator "${command,,}" || continue
    case $command in
    -ds442*) listing=$(on_board "$command" BRD01 1 0x7f NOSUCH) ;;
    *) listing=$(on_board "$command" 1 0x7f NOSUCH) ;;
    esac
    names=$(sed -n '/^Valid Voltage names: $/{n;s/, / /g;s/ $//;p;}' <<<"$listing")
    [[ $names == "$rails" ]] || fail "$command offers '$rails', rigo lists '$names'"
done

((failures == 0)) || { echo "$failures failures"; exit 1; }
echo "completion: all checks passed"
