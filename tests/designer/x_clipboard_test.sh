#!/usr/bin/env bash
# Two designers on one X server share copied nodes through the clipboard, and a hostile
# "MY_CUSTOM_FORMAT" block put there by another program never brings one down.
# Usage: x_clipboard_test.sh VOCARA VOCARA_CLI FLOW
set -euo pipefail

vocara=$1
cli=$2
flow=$3
work=$(mktemp -d)
source "$(dirname "$0")/x_session.sh"
trap x_session_cleanup EXIT
x_session_require Xvfb xwininfo xdotool xclip
x_session_start 2560x800
format=MY_CUSTOM_FORMAT

# The second designer pastes into a flow holding only its start node.
cat >"$work/target.qfl" <<'QFL'
<?xml standalone="no" ?>
<QenIvr>
    <Start timeout="5" date="dd/mm/yyyy" version="3" valid="true"/>
</QenIvr>
QFL
x_session_designer source "$vocara" "$flow"
source_window=$x_session_window
x_session_designer target "$vocara" "$work/target.qfl"
target_window=$x_session_window
target_pid=$x_session_pid
xdotool windowsize "$source_window" 1200 760 windowsize "$target_window" 1200 760 \
    windowmove "$target_window" 1280 0

clipboard_holds() { xclip -selection clipboard -t TARGETS -o 2>/dev/null | grep -qx "$1"; }

# Copy the menu node with its branches in the first: Tab takes the top node, Down walks to it.
xdotool windowfocus --sync "$source_window" key Tab Down Down ctrl+c
x_session_until "the copy put no $format block on the clipboard" clipboard_holds "$format"
xclip -selection clipboard -t "$format" -o >"$work/copied.block"

# Saving a flow with errors asks first; the test answers Yes with Enter.
save_target() {
    xdotool windowfocus --sync "$target_window" key ctrl+s
    x_session_until "saving asked nothing" test "$(x_session_windows "$target_pid")" -ge 2
    answer_dialog
    x_session_until "the flow was not saved" bash -c "! cmp -s '$work/target.qfl' '$work/target.before'"
}
answer_dialog() {
    local dialog
    dialog=$(xdotool search --onlyvisible --pid "$target_pid" | grep -vx "$target_window" | head -1)
    xdotool windowfocus --sync "$dialog" key Return
    x_session_until "the message stayed open" test "$(x_session_windows "$target_pid")" -eq 1
}

# Paste in the second at the top-left of its view, save, and compare with the first's flow.
cp "$work/target.qfl" "$work/target.before"
xdotool windowfocus --sync "$target_window" key ctrl+v
save_target
"$cli" save "$flow" -o "$work/source.qfl" >/dev/null
python3 - "$work/source.qfl" "$work/target.qfl" "$work/copied.block" <<'PY'
import struct, sys
import xml.etree.ElementTree as ET

# The flow files' declaration carries no version, which this parser insists on.
def parse(path):
    return ET.fromstring(open(path).read().split('\n', 1)[1])

def menu(path, name=None):
    root = parse(path)
    for node in root.iter('UserInput'):
        if name is None or node.get('name') == name:
            return node
    sys.exit(f'{path}: no menu node')

# A copy takes the node and its branches, not what hangs below them; pasted nodes get new names.
def shape(node, depth=1):
    values = {k: v for k, v in node.attrib.items() if k not in ('name', 'X', 'Y')}
    return node.tag, values, [shape(child, depth - 1) for child in node] if depth else []

copied, pasted = menu(sys.argv[1], 'Main menu'), menu(sys.argv[2])
if shape(copied) != shape(pasted):
    sys.exit(f'pasted nodes differ:\n{shape(copied)}\n{shape(pasted)}')
block = open(sys.argv[3], 'rb').read()
count = struct.unpack('<i', block[:4])[0]
if len(block) != 23284 or count != 1 + len(copied):
    sys.exit(f'clipboard block of {len(block)} bytes with {count} records')
print(f'x_clipboard_test: {count} nodes copied and pasted between two designers')
PY

# Hostile blocks from another program: garbage, a short block and one claiming 1000 values are
# refused with "Not Correct Format"; a block of well-formed records claiming far-off cells,
# huge branch counts and unterminated text is pasted clamped onto the grid.
python3 - "$work" <<'PY'
import os, struct, sys
work = sys.argv[1]
open(f'{work}/garbage.block', 'wb').write(os.urandom(5000))
open(f'{work}/short.block', 'wb').write(open(f'{work}/copied.block', 'rb').read()[:1000])
def block(values, kinds):
    records = b''
    for slot in range(15):
        head = struct.pack('<7i', kinds[slot % len(kinds)], 168, values, 0x7fffffff, -1,
                           0x7fffffff, -0x80000000)
        records += head + b'N' * 20 + b'v' * 1500 + b'\xff' * 4
    return struct.pack('<i', 15) + records
open(f'{work}/values.block', 'wb').write(block(1000, [6]))
# Two branches before each compare node, as a copy would put them; then set-variable nodes.
open(f'{work}/clamped.block', 'wb').write(block(1, [34, 35, 11, 10, 10]))
PY
paste_block() {
    xclip -quiet -selection clipboard -t "$format" -i "$work/$1.block" >/dev/null 2>&1 &
    owner=$!
    x_session_pids+=("$owner")
    x_session_until "xclip did not take the clipboard" clipboard_holds "$format"
    cp "$work/target.qfl" "$work/target.before"
    xdotool windowfocus --sync "$target_window" key ctrl+v
}
for name in garbage short values; do
    paste_block "$name"
    x_session_until "the $name block was not refused" test "$(x_session_windows "$target_pid")" -ge 2
    answer_dialog
    kill -0 "$target_pid" || { echo "the $name block brought the designer down" >&2; exit 1; }
    kill "$owner"
    echo "x_clipboard_test: the $name block was refused"
done
paste_block clamped
save_target
kill "$owner"
"$cli" save "$work/target.qfl" -o "$work/reopened.qfl" >"$work/reopen.log" 2>&1 ||
    { cat "$work/reopen.log" >&2; exit 1; }
python3 - "$work/target.before" "$work/reopened.qfl" <<'PY'
import sys
import xml.etree.ElementTree as ET
parse = lambda path: ET.fromstring(open(path).read().split('\n', 1)[1])
count = lambda path: sum(1 for node in parse(path).iter() if node.get('X'))
before, after = count(sys.argv[1]), count(sys.argv[2])
if after != before + 15:
    sys.exit(f'the clamped block pasted {after - before} nodes, not 15')
print('x_clipboard_test: the clamped block pasted 15 nodes, and the flow reopens')
PY
