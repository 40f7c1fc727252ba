#!/usr/bin/env bash
# run-program.sh DITDAHL.EXE KEYED_AUDIO.EXE STARTDIR [SCREENSHOT.png]
#
# Ditdahl.exe run as an operator runs it, from STARTDIR, under wine64 on the Wine session's
# display (cmake/wine-session.sh), with a private PulseAudio server whose only
# source is the monitor of a 6000 Hz stereo null sink: keyed text is played
# into the sink, the program hears it through wave-in, decodes it into its
# log, and is closed from outside as by the close box (taskkill, no /F).
# Checked: the exit code, the log's first, received and last lines, and the
# settings file with its twelve keys in order.
set -uo pipefail
program=$1
keyed_audio=$2
work=$3
screenshot=${4:-}
pulse=$(mktemp -d)
: "${WINEPREFIX:?}"
wine="${WINE_DIR:-/usr/lib/wine}/wine64"
DISPLAY=$(cat "$WINEPREFIX.session.display") || { echo "no wine session (wine.up)"; exit 1; }
export DISPLAY
text="CQ CQ DE DITDAHL THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 73 K"

mkdir -p "$work"
rm -f "$work/Ditdahl.ini" "$work/Ditdahl.log"
pulse_pid=""
player_pid=""
program_pid=""
cleanup() {
  for pid in $player_pid $program_pid $pulse_pid; do kill "$pid" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$pulse"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*"
  echo "--- log:"; cat "$work/Ditdahl.log" 2>/dev/null
  echo "--- program output:"; cat "$work/program.out" 2>/dev/null
  exit 1
}
wait_for() {  # seconds command...
  local limit=$1
  shift
  local end=$((SECONDS + limit))
  until "$@"; do
    [ $SECONDS -lt $end ] || return 1
    sleep 0.2
  done
}

cat >"$pulse/ditdahl.pa" <<PA
load-module module-native-protocol-unix auth-anonymous=1 socket=$pulse/native
load-module module-null-sink sink_name=radio format=s16le rate=6000 channels=2 sink_properties=device.description=DitdahlRadio
set-default-sink radio
set-default-source radio.monitor
PA
HOME=$pulse XDG_RUNTIME_DIR=$pulse pulseaudio -n -F "$pulse/ditdahl.pa" --daemonize=no \
  --exit-idle-time=-1 --disallow-exit --log-target=stderr </dev/null >"$pulse/pulseaudio.log" 2>&1 &
pulse_pid=$!
wait_for 10 test -S "$pulse/native" || fail "pulseaudio did not start: $(cat "$pulse/pulseaudio.log")"
# winepulse reads it in the program's own environment.
export PULSE_SERVER=unix:$pulse/native

"$wine" "$keyed_audio" "Z:${pulse//\//\\}\\radio.raw" 20 562.5 "$text" </dev/null >/dev/null 2>&1 \
  || fail "keyed_audio failed"

# The 100 Hz filter at 550 Hz watches 562.5 Hz; the input is found by name.
printf '[Ditdahl]\r\nFilter=0\r\nPTT_Signal=0\r\nInputDevice=Monitor of DitdahlRadio\r\nPTT_Port=0\r\nTX_Speed=10\r\n' \
  >"$work/Ditdahl.ini"
(cd "$work" && exec "$wine" "$program" </dev/null >"$work/program.out" 2>&1) &
program_pid=$!
log_has() { grep -q "$1" "$work/Ditdahl.log" 2>/dev/null; }
wait_for 60 log_has "Program startup" || fail "no \"Program startup\" in the log"
# Capture's first buffer can take a second or more; what plays before is lost.
sleep 3
pacat --raw --format=s16le --rate=6000 --channels=2 --device=radio <"$pulse/radio.raw" &
player_pid=$!
wait_for 120 log_has "RX:   " || fail "nothing decoded into the log"
if [ -n "$screenshot" ]; then
  sleep 1
  xwd -root -silent | convert xwd:- -trim +repage "$screenshot" || fail "screenshot"
fi
"$wine" taskkill /IM "$(basename "$program")" >"$work/taskkill.out" 2>&1 || fail "taskkill: $(cat "$work/taskkill.out")"
wait_for 30 bash -c "! kill -0 $program_pid 2>/dev/null" || fail "still running 30 s after the close request"
wait "$program_pid"
status=$?
program_pid=""
[ "$status" -eq 0 ] || fail "exit code $status"

mapfile -t log < <(tr -d '\r' <"$work/Ditdahl.log")
[[ ${log[0]} == *" Program startup" ]] || fail "first line: ${log[0]}"
[[ ${log[-1]} == *" Program termination" ]] || fail "last line: ${log[-1]}"
received=${log[1]#*RX:   }
# Heard through a sound server in real time: on a busy machine a buffer may
# come late and a letter go wrong. The check is that wave-in delivers the
# audio and the program decodes it: the call in full, then ten words or more,
# four in five of them right.
words_right=0
read -ra sent <<<"$text"
read -ra heard <<<"$received"
for word in "${heard[@]}"; do
  for expected_word in "${sent[@]}"; do
    if [ "$word" = "$expected_word" ]; then
      words_right=$((words_right + 1))
      break
    fi
  done
done
[[ $received == "CQ CQ DE DITDAHL "* ]] && [ ${#heard[@]} -ge 10 ] && [ $((10 * words_right)) -ge $((8 * ${#heard[@]})) ] ||
  fail "received: ${log[1]}"

log_path="$(cd "$work" && "$wine" cmd /c cd </dev/null 2>/dev/null | tr -d '\r')\\Ditdahl.log"
expected=$(printf '%s\n' "[Ditdahl]" "Filter=0" "PTT_Signal=0" "InputDevice=Monitor of DitdahlRadio" "PTT_Port=0" \
  "TX_Speed=10" "AutoRXSpeed=0" "AutoTXSpeed=0" "Delay=0" "LogPath=$log_path" "Threshold=50" "BeaconText=" \
  "BeaconInterval=600" "[Automatic decoder]" "Enabled=0" "[Keying server]" "Enabled=0" "Port=6789" \
  "Address=127.0.0.1")
actual=$(tr -d '\r' <"$work/Ditdahl.ini")
[ "$actual" = "$expected" ] || fail "settings file:
$actual
--- expected:
$expected"
echo "PASS: started, decoded \"$received\", closed with exit code 0, settings saved"
