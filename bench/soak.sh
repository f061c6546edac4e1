#!/usr/bin/env bash
# Long-run check, run by hand: the real player loops a three-entry movie list on one device
# under its own Xvfb for MINUTES minutes, and once a minute the resident memory, the open
# file descriptors, the threads, the CPU time used so far and the machine's load average go
# into a CSV file. A leak shows as a column that keeps growing; CPU time that keeps growing
# shows playback went on.
#
#   bench/soak.sh DEVICE MINUTES OUT.csv [PLAYER]
#     DEVICE   ActiveMovie (libmpv) or MPEGVideo (GStreamer)
#     PLAYER   the player binary; default build-rel/app/cinevan (a RelWithDebInfo build)
#
# At the end it prints first, last, minimum and maximum of every column (bench/soak-summary.sh).
# Each run has private HOME, XDG folders and X display, so two runs can go at the same time.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
device=${1:?usage: soak.sh DEVICE MINUTES OUT.csv [PLAYER]}
minutes=${2:?usage: soak.sh DEVICE MINUTES OUT.csv [PLAYER]}
out=${3:?usage: soak.sh DEVICE MINUTES OUT.csv [PLAYER]}
player=$(realpath "${4:-$here/../build-rel/app/cinevan}")
interval=${SOAK_INTERVAL:-60}

work=$(mktemp -d /tmp/cinevan-soak-XXXXXX)
pids=()
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null || true
        wait "${pids[i]}" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

media=${SOAK_MEDIA:-$work/media}
bash "$here/../tests/fixtures/make-media.sh" "$media" >/dev/null

export HOME=$work/home
export XDG_CONFIG_HOME=$HOME/config XDG_DATA_HOME=$HOME/data XDG_CACHE_HOME=$HOME/cache
export XDG_RUNTIME_DIR=$HOME/runtime
export CINEVAN_AUDIO_OUTPUT=null LIBGL_ALWAYS_SOFTWARE=1
unset WAYLAND_DISPLAY QT_QPA_PLATFORM
mkdir -p "$XDG_CONFIG_HOME/Vantrel/Cinevan" "$XDG_DATA_HOME" "$XDG_CACHE_HOME"
mkdir -m 700 -p "$XDG_RUNTIME_DIR"
printf '[Main]\nCurrentDevice=%s\nCheckBoxLoop_Checked=True\n' "$device" \
    >"$XDG_CONFIG_HOME/Vantrel/Cinevan/1.0.conf"

mkfifo "$work/display"
exec {display_fd}<>"$work/display"
Xvfb -displayfd "$display_fd" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
read -r -t 30 -u "$display_fd" display_number
exec {display_fd}<&-
export DISPLAY=:$display_number
if command -v openbox >/dev/null; then
    openbox >/dev/null 2>&1 &
    pids+=($!)
fi
sleep 1

"$player" "$media/clip-mpeg1.mpg" "$media/clip-mpeg2.mpg" "$media/track.dat" \
    >"$work/player.log" 2>&1 &
player_pid=$!
pids+=("$player_pid")

ticks=$(getconf CLK_TCK)
sample() {
    local status=/proc/$player_pid/status
    local rss threads fds cpu
    rss=$(awk '/^VmRSS:/ {print $2}' "$status")
    threads=$(awk '/^Threads:/ {print $2}' "$status")
    fds=$(ls "/proc/$player_pid/fd" | wc -l)
    # utime and stime are fields 14 and 15; the command name before them may hold spaces.
    cpu=$(sed 's/.*) //' "/proc/$player_pid/stat" | awk -v t="$ticks" '{printf "%.1f", ($12 + $13) / t}')
    # The machine's load average over the last minute: other work slows playback down.
    load=$(cut -d' ' -f1 /proc/loadavg)
    echo "$1,$(date -u +%H:%M:%S),$rss,$fds,$threads,$cpu,$load"
}

echo "minute,time_utc,rss_kib,fds,threads,cpu_s,load" >"$out"
sleep 10 # start-up and the first movie opened
for ((minute = 0; minute <= minutes; minute++)); do
    if ! kill -0 "$player_pid" 2>/dev/null; then
        echo "the player ended early; its output:" >&2
        cat "$work/player.log" >&2
        exit 1
    fi
    sample "$minute" >>"$out"
    ((minute < minutes)) && sleep "$interval"
done

kill -TERM "$player_pid"
wait "$player_pid" || echo "the player's exit status after SIGTERM: $?" >&2
bash "$here/soak-summary.sh" "$out"
