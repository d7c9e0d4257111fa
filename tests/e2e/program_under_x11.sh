#!/usr/bin/env bash
# The real program under a real X server with no window manager, started from
# another working directory: its first window, Ctrl+W, the settings file it
# leaves beside the executable, and a prepared settings file read back.
set -euo pipefail

program=$1
work=$(mktemp -d)
xvfb_pid=""
app_pid=""
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

mkdir -p "$work/bin" "$work/elsewhere" "$work/runtime"
chmod 700 "$work/runtime"
cp "$program" "$work/bin/tappolog"

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -n1 "$work/display")"
export XDG_RUNTIME_DIR="$work/runtime"
export QT_QPA_PLATFORM=xcb
# No sound server for the program to find or start: it runs silent.
export PULSE_SERVER="unix:$work/runtime/no-sound-server"

# Starts the program from elsewhere, checks where its window is, closes it
# with Ctrl+W and waits for a clean exit.
run_once() {
    local expected_geometry=$1
    (cd "$work/elsewhere" && exec "$work/bin/tappolog") >"$work/app.log" 2>&1 &
    app_pid=$!
    local window
    window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Tappolog$' | head -n1) ||
        fail "no window appeared: $(cat "$work/app.log")"
    local info geometry
    info=$(xwininfo -id "$window")
    geometry="$(awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF}
        /^  Width/{w=$NF} /^  Height/{h=$NF} END{print x, y, w, h}' <<<"$info")"
    [ "$geometry" = "$expected_geometry" ] || fail "window at '$geometry', expected '$expected_geometry'"
    if [ -n "${TAPPOLOG_SCREENSHOT:-}" ] && command -v import >/dev/null; then
        import -window root "$TAPPOLOG_SCREENSHOT"
    fi
    xdotool windowfocus --sync "$window"
    xdotool key --clearmodifiers ctrl+w
    local status=0
    timeout 30 tail --pid="$app_pid" -f /dev/null || fail "the program did not exit after Ctrl+W"
    wait "$app_pid" || status=$?
    app_pid=""
    [ "$status" -eq 0 ] || fail "exit code $status: $(cat "$work/app.log")"
}

expect_file() {
    local expected=$1
    local actual
    actual=$(cat "$work/bin/Tappolog.ini")
    [ "$actual" = "$expected" ] || fail "Tappolog.ini holds:
$actual
expected:
$expected"
    [ ! -e "$work/elsewhere/Tappolog.ini" ] || fail "settings written to the working directory"
}

# First start: no settings file.
run_once "192 107 276 332"
expect_file "[main]
top=107
left=192
width=276
height=332
[setup]
port=0
realmon=1"
echo "first start: window at 192,107 276x332; Ctrl+W wrote the settings"

# A prepared file: read as it stands, written back with foreign lines kept.
cat >"$work/bin/Tappolog.ini" <<'INI'
; kept as it is
[MAIN]
Top=40
left=30
width=0x200
height=300
[setup]
port=8
realmon=2
[ports]
COM1=/dev/null
INI
run_once "30 40 512 300"
expect_file "; kept as it is
[MAIN]
Top=40
left=30
width=512
height=300
[setup]
port=8
realmon=1
[ports]
COM1=/dev/null"
echo "prepared settings: read and written back"
