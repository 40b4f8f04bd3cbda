#!/usr/bin/env zsh
# The zsh completion, run by zsh's own completion system at a prompt, offers each command exactly
# the options its help lists, the commands where a command goes, and the values of the options
# that have a fixed set: the function is kept in step with the program.
emulate -R zsh
setopt err_return no_unset
cli=$1
completion=$2
zmodload zsh/zpty
dir=$(mktemp -d)
trap 'zpty -d shell 2>/dev/null; rm -rf $dir' EXIT
matches=$dir/matches

# An interactive zsh on a pseudo-terminal with the completion loaded. ^T completes the line, as
# Tab would, with compadd writing each match to the file instead of offering it, then marks the
# end and clears the line.
zpty shell env -i PATH=$PATH HOME=$dir TERM=dumb LC_ALL=C zsh -f -i
zpty -w shell "cd ${(q)dir}; PS1=''; fpath=(${(q)completion:h} \$fpath)"
zpty -w shell 'autoload -U compinit && compinit -u -D'
zpty -w shell "compadd() {
    if (( \${argv[(I)-[OAD]]} )); then builtin compadd \"\$@\"; return; fi
    local -a found
    builtin compadd -O found \"\$@\"
    (( \$#found )) && print -rl -- \$found >> ${(q)matches}
    (( \$#found ))
}"
zpty -w shell "capture() { zle complete-line; print -r -- --end-- >> ${(q)matches}; zle kill-whole-line }"
zpty -w shell 'zle -C complete-line complete-word _main_complete; zle -N capture; bindkey "^T" capture'

# The sorted matches offered for the line.
offered() {
    : >| $matches
    zpty -w -n shell "$1"$'\x14'
    local waited=0
    until grep -qx -- --end-- $matches 2>/dev/null; do
        (( ++waited < 500 )) || { print -u2 "no completion for: $1"; return 1 }
        sleep 0.01
    done
    local out
    while zpty -r -t shell out; do :; done
    grep -vx -- --end-- $matches | sort -u
}

failed=0
check() {
    local line=$1 expected=$2 got
    got=$(offered $line)
    if [[ $got != $expected ]]; then
        print -r -- "zsh: ${line}: expected" ${(f)expected} "but completion offers" ${(f)got}
        failed=1
    fi
}

# The options a command's help lists.
listed() {
    $cli help $1 | grep -oE '^  (-[a-z], |    )--[a-z-]+' | grep -oE -- '--[a-z-]+' | sort
}
subcommands=(ports read write save apply check bench linktest)
for command in $subcommands; do
    check "radiomodem-cli $command --" "$(listed $command)"
done
# Before the command: the options every command takes, and --version.
general=$(listed ports)
for command in $subcommands; do
    general=$(comm -12 <(print -r -- $general) <(listed $command))
done
check 'radiomodem-cli --' "$(print -rl -- ${(f)general} --version | sort)"
check 'radiomodem-cli -q ' "$(print -rl -- $subcommands help | sort)"
check 'radiomodem-cli help ' "$(print -rl -- $subcommands help | sort)"
check 'radiomodem-cli write --serial 96' $'9600-E\n9600-N\n9600-O'
check 'radiomodem-cli read --from 3' $'300-E\n300-N\n300-O'
check 'radiomodem-cli write --channel 3' $'3\n30\n31\n32'
check 'radiomodem-cli write --air-rate ' $'0\n1\n2\n3\n4'
check 'radiomodem-cli read -p COM' "$(print -rl -- COM{1..8})"
exit $failed
