# bash completion for radiomodem-cli: commands, each command's options, ports and serial modes.

_radiomodem_cli_options()
{
    local common="--json --json-lines --quiet --help"
    local probe="--port --from --timeout"
    case $1 in
        ports) echo "$common" ;;
        read) echo "$common $probe --all --record" ;;
        write) echo "$common $probe --channel --serial --air-rate --id --no-verify" ;;
        save) echo "$common $probe --all --no-id" ;;
        apply) echo "$common $probe --all --same-id" ;;
        check) echo "$common $probe --all" ;;
        bench) echo "$common $probe --same-id --record --id-from" ;;
        linktest) echo "$common --port --timeout --serial --size --interval --duration --max-loss" ;;
        *) echo "$common $probe --all --record --no-id --same-id --id-from --channel --serial" \
            "--air-rate --id --no-verify --size --interval --duration --max-loss --version" ;;
    esac
}

_radiomodem_cli()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    local commands="ports read write save apply check bench linktest help"
    local command="" word i
    for ((i = 1; i < COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        case $word in
            ports | read | write | save | apply | check | bench | linktest | help)
                command=$word
                break
                ;;
        esac
    done
    COMPREPLY=()
    case $prev in
        -p | --port)
            local byid=()
            [[ -d /dev/serial/by-id ]] && byid=(/dev/serial/by-id/*)
            COMPREPLY=($(compgen -W "COM1 COM2 COM3 COM4 COM5 COM6 COM7 COM8 ${byid[*]}" -- "$cur"))
            [[ $cur == /* ]] && COMPREPLY+=($(compgen -f -- "$cur"))
            return
            ;;
        --from | --serial)
            local speed parity modes=""
            for speed in 19200 9600 4800 2400 1200 300; do
                for parity in N O E; do
                    modes+=" $speed-$parity"
                done
            done
            COMPREPLY=($(compgen -W "$modes" -- "$cur"))
            return
            ;;
        --air-rate)
            COMPREPLY=($(compgen -W "0 1 2 3 4" -- "$cur"))
            return
            ;;
        --channel)
            COMPREPLY=($(compgen -W "$(seq 1 32)" -- "$cur"))
            return
            ;;
        --record)
            COMPREPLY=($(compgen -f -- "$cur"))
            return
            ;;
        --timeout | --id | --id-from | --size | --interval | --duration | --max-loss)
            return
            ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$(_radiomodem_cli_options "$command")" -- "$cur"))
    elif [[ -z $command || $command == help ]]; then
        COMPREPLY=($(compgen -W "$commands" -- "$cur"))
    elif [[ $command =~ ^(save|apply|check|bench)$ ]]; then
        COMPREPLY=($(compgen -f -- "$cur"))
    fi
}

complete -o filenames -F _radiomodem_cli radiomodem-cli
