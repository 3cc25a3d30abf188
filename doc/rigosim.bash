# bash completion for rigosim                               -*- shell-script -*-

_rigosim()
{
    local cur=${COMP_WORDS[COMP_CWORD]}
    local command=${COMP_WORDS[1]-}
    COMPREPLY=()
    if ((COMP_CWORD == 1)); then
        COMPREPLY=($(compgen -W "create rd wr add remove get set fault load save trace run --help --version" -- "$cur"))
        return
    fi
    if ((COMP_CWORD == 2)); then
        [[ $command == --* ]] || COMPREPLY=($(compgen -d -- "$cur"))
        return
    fi
    local -a args=("${COMP_WORDS[@]:3:COMP_CWORD-3}")
    local words=""
    case $command in
    create)
        ((${#args[@]} == 0)) && words="avin belk corv dern"
        ;;
    add)
        ((${#args[@]} == 2)) && words="--replace"
        ;;
    trace)
        ((${#args[@]} == 0)) && words="--clear --vcd"
        [[ ${args[0]-} == --vcd ]] && ((${#args[@]} == 1)) && COMPREPLY=($(compgen -f -- "$cur"))
        ;;
    load)
        [[ $cur == -* ]] && words="--device --at --raw"
        [[ $cur != -* ]] && COMPREPLY=($(compgen -f -- "$cur"))
        ;;
    save)
        ((${#args[@]} == 0)) && COMPREPLY=($(compgen -f -- "$cur"))
        ;;
    fault)
        case "${args[*]}" in
        "") words="mem i2c --clear" ;;
        mem) words="open mmap munmap" ;;
        i2c) words="open nack" ;;
        "mem open"*) words="errno=" ;;
        "mem mmap"* | "mem munmap"*) words="errno= after=" ;;
        "i2c open"*) words="bus= errno=" ;;
        "i2c nack"*) words="bus= addr= dir=any dir=read dir=write after= count= errno=" ;;
        esac
        ;;
    run)
        # Options, then the program, then its own arguments (files).
        local i
        for ((i = 0; i < ${#args[@]}; i++)); do
            case ${args[i]} in
            --realtime | --unsafe-direct) ;;
            --) ((i == ${#args[@]} - 1)) && COMPREPLY=($(compgen -c -- "$cur")) && return ;&
            *) COMPREPLY=($(compgen -f -- "$cur")) && return ;;
            esac
        done
        COMPREPLY=($(compgen -W "--realtime --unsafe-direct --" -- "$cur") $(compgen -c -- "$cur"))
        return
        ;;
    esac
    [[ $words ]] && COMPREPLY=($(compgen -W "$words" -- "$cur"))
    [[ ${COMPREPLY[0]-} == *= ]] && compopt -o nospace 2>/dev/null
    return 0
}

complete -F _rigosim rigosim
