#!/usr/bin/env bash
# The designer on a real X server: it starts with a flow, stays up, names the file in its
# window title, and shows on a screenshot of the root window. Usage: x_server_test.sh VOCARA FLOW
set -euo pipefail

vocara=$1
flow=$2
for tool in Xvfb xwininfo xwd; do
    command -v "$tool" >/dev/null || { echo "x_server_test: $tool is missing" >&2; exit 1; }
done
work=$(mktemp -d)
xvfb_pid=
vocara_pid=
cleanup() {
    [[ -n $vocara_pid ]] && kill "$vocara_pid" 2>/dev/null || true
    [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# A display number of our own: the first whose lock file is free.
display=90
while [[ -e /tmp/.X$display-lock ]]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1280x800x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
export DISPLAY=":$display"
for _ in $(seq 150); do
    xwininfo -root >/dev/null 2>&1 && break
    kill -0 "$xvfb_pid" 2>/dev/null || { cat "$work/xvfb.log" >&2; exit 1; }
    sleep 0.2
done

export VOCARA_USER_DIR=$work/user VOCARA_REGISTRY_DIR=$work/registry QT_QPA_PLATFORM=xcb
"$vocara" --no-splash "$flow" >"$work/vocara.log" 2>&1 &
vocara_pid=$!
title="$(basename "$flow") - Vocara"
for _ in $(seq 150); do
    xwininfo -root -tree 2>/dev/null | grep -qF "\"$title\"" && break
    kill -0 "$vocara_pid" 2>/dev/null || { echo "vocara ended early" >&2; cat "$work/vocara.log" >&2; exit 1; }
    sleep 0.2
done
xwininfo -root -tree | grep -qF "\"$title\"" || { echo "no window titled $title" >&2; exit 1; }
kill -0 "$vocara_pid" || { echo "vocara did not stay up" >&2; exit 1; }

# The root window's picture holds more than the empty screen.
xwd -root -silent -out "$work/root.xwd"
python3 - "$work/root.xwd" <<'PY'
import struct, sys
data = open(sys.argv[1], 'rb').read()
header = struct.unpack('>25I', data[:100])
size, width, height, bpl = header[0], header[4], header[5], header[12]
pixels = data[size + header[19] * 12:]
colours = {pixels[i:i + 4] for i in range(0, min(len(pixels), bpl * height), 4 * 97)}
print(f'x_server_test: {width}x{height} root window, {len(colours)} colours sampled')
sys.exit(0 if len(colours) > 8 else 1)
PY
