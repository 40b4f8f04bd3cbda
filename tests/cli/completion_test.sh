#!/usr/bin/env bash
# The bash completion offers each command exactly the options its help lists, and the commands
# where a command goes: the script is kept in step with the program.
set -euo pipefail
cli=$1
source "$2"
export LC_ALL=C LANGUAGE=
complete_words() {
    COMP_WORDS=("$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    _radiomodem_cli
    printf '%s\n' "${COMPREPLY[@]}" | sort
}
failed=0
for command in "" ports read write save apply check bench linktest; do
    listed=$("$cli" help $command | grep -oE '^  (-[a-z], |    )--[a-z-]+' |
        grep -oE -- '--[a-z-]+' | sort)
    offered=$(complete_words radiomodem-cli $command --)
    if [ "$listed" != "$offered" ]; then
        echo "radiomodem-cli $command: help lists" $listed "but completion offers" $offered
        failed=1
    fi
done
commands=$(complete_words radiomodem-cli -q "")
expected=$(printf '%s\n' apply bench check help linktest ports read save write)
if [ "$commands" != "$expected" ]; then
    echo "commands offered:" $commands
    failed=1
fi
exit $failed
