#!/usr/bin/env bash
# A simulated call on a real X server: the designer opens the sample menu, its toolbar opens
# the simulator, real mouse clicks start the call and press 1 on the keypad, pictures are taken
# mid-call, and the log shows the balance spoken and the call ended.
# Usage: x_simulator_test.sh VOCARA SHARE-FOLDER [PICTURES-FOLDER]
set -euo pipefail

vocara=$1
share=$2
pictures=${3:-}
work=$(mktemp -d)
source "$(dirname "$0")/x_session.sh"
trap x_session_cleanup EXIT
x_session_require Xvfb xwininfo xwd xdotool
x_session_start 1280x800
export VOCARA_AUDIO=null
cp -r "$share/Samples/Flows" "$work/flows"
x_session_designer designer "$vocara" "$work/flows/menu.qfl"
main=$x_session_window
pid=$x_session_pid
xdotool windowsize "$main" 1280 800
log=$work/user/logFile.txt

picture() {
    xwd -root -silent -out "$work/$1.xwd"
    [[ -n $pictures ]] && cp "$work/$1.xwd" "$pictures/$1.xwd"
    return 0
}
logged() { [[ -f $log ]] && grep -qF -- "$1" "$log"; }

# The toolbar's Start Simulation: the button after the node tools' arrow and delete.
window_named() { xdotool search --all --onlyvisible --pid "$pid" --name "^$1\$" 2>/dev/null | head -1; }
for x in 190 200 208 216; do
    xdotool mousemove --window "$main" "$x" 38 click 1
    [[ -n $(window_named Simulator) ]] && break
done
x_session_until "the simulator window did not open" bash -c "[[ -n \$(xdotool search --all --onlyvisible --pid $pid --name '^Simulator\$') ]]"
simulator=$(window_named Simulator)
xdotool windowsize "$simulator" 504 328 windowmove "$simulator" 700 420
# Start (the green key under the keypad), then wait for the menu to wait for a key.
xdotool mousemove --window "$simulator" 63 265 click 1
x_session_until "the call did not reach the menu" logged "DoUserInput"
picture mid-call
# Key 1 on the keypad: the balance is spoken and the caller is let go.
xdotool mousemove --window "$simulator" 44 38 click 1
x_session_until "the call did not end" logged "___EndIVR()"
picture ended
logged "Value=42" || { echo "the balance was not spoken" >&2; cat "$log" >&2; exit 1; }
kill -0 "$pid" || { echo "the designer went down" >&2; exit 1; }
echo "x_simulator_test: the call took key 1 and spoke the balance"
