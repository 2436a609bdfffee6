#!/usr/bin/env bash
# The designer on a real X server: it starts with a flow, stays up, names the file in its
# window title, and shows on a screenshot of the root window. Usage: x_server_test.sh VOCARA FLOW
set -euo pipefail

vocara=$1
flow=$2
work=$(mktemp -d)
source "$(dirname "$0")/x_session.sh"
trap x_session_cleanup EXIT
x_session_require Xvfb xwininfo xwd xdotool
x_session_start 1280x800
x_session_designer vocara "$vocara" "$flow"
kill -0 "$x_session_pid" || { echo "vocara did not stay up" >&2; exit 1; }

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
