#!/usr/bin/env bash
# Builds the program and starts it with a simulated radio on COM1. Arguments are passed to
# the simulator, e.g. scripts/run.sh --speed 4800 --parity even
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh radiomodem radiomodem-sim
log=$(mktemp -t radiomodem-sim.XXXXXX.log)
coproc SIM { exec build/tools/radio-sim/radiomodem-sim --log "$log" "$@"; }
trap 'kill "$SIM_PID" 2>/dev/null || true' EXIT
pty=""
while read -r word path <&"${SIM[0]}"; do
    [ "$word" = PTY1 ] && pty=$path
    [ "$word" = READY ] && break
done
[ -n "$pty" ] || { echo "the simulator did not start" >&2; exit 1; }
echo "simulated radio on $pty (COM1); frames it receives are logged to $log"
RADIOMODEM_COM1=$pty build/src/shell/radiomodem || true
