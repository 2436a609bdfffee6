#!/usr/bin/env bash
# Hands the dialplans we write for today's Asterisk to the tools that judge them: the
# dialplan linter (lint) or a real Asterisk that loads them and takes calls (asterisk).
# Usage: asterisk_checks.sh lint|asterisk VOCARA_CLI RANDOM_DIALPLANS SOURCE_DIR
# The tools are found through VOCARA_ASTERISKLINT (the linter's "run") and
# VOCARA_ASTERISK_CHECK (check_dialplan.sh); without them the check is skipped (exit 77).
set -euo pipefail

mode=$1
cli=$2
generator=$3
source_dir=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The golden files, the samples and random flows, all written for today's Asterisk.
prepare() {
    local count=$1 sample
    cp "$source_dir"/tests/dialplan/golden/*_modern*.conf "$work/"
    for sample in "$source_dir"/assets/Samples/Flows/*.qfl "$source_dir"/assets/Samples/Flows/*.conf; do
        local name
        name=$(basename "${sample%.*}")
        # 1 is a flow with errors, written all the same.
        "$cli" export "$sample" -o "$work/sample-$name.conf" --dialect modern 2>/dev/null || (($? == 1))
    done
    mkdir "$work/random"
    "$generator" "$work/random" "$count"
}

lint() {
    [[ -n ${VOCARA_ASTERISKLINT:-} && -x ${VOCARA_ASTERISKLINT:-} ]] || {
        echo "VOCARA_ASTERISKLINT names no linter: skipped"
        exit 77
    }
    # The shared copy holds some of the linter's links as files naming their target; a
    # private copy with real links is what the linter's loader can import.
    local linter=$work/linter
    cp -r "$(dirname "$VOCARA_ASTERISKLINT")" "$linter"
    chmod -R u+w "$linter"
    find "$linter" -type f -name '*.py' -size -200c | while read -r file; do
        local target
        target=$(head -c 200 "$file")
        if [[ $target == *.py && $target != *[[:space:]]* && -f "$(dirname "$file")/$target" ]]; then
            ln -sf "$target" "$file"
        fi
    done
    prepare 200
    local failed=0 file report
    for file in "$work"/*.conf "$work"/random/*.conf; do
        # [general] and [globals] belong to the extensions.conf that includes our file.
        report=$(ALINT_IGNORE=H_DP_GENERAL_MISPLACED,H_DP_GLOBALS_MISPLACED \
            "$linter/run" dialplan-check "$file" 2>&1 || true)
        # A transfer goes to a context of the PBX, outside the file: the one jump allowed
        # to name a context the file does not have.
        report=$(awk '!/E_DP_GOTO_NOCONTEXT/ || /goto to context-/' <<<"$report")
        if [[ -n $report ]]; then
            echo "$report"
            failed=1
        fi
    done
    echo "linted $(ls "$work"/*.conf "$work"/random/*.conf | wc -l) dialplans"
    return $failed
}

# Loads FILE into a private Asterisk: no WARNING or ERROR line.
loads() {
    local file=$1 output
    if ! output=$("$VOCARA_ASTERISK_CHECK" "$file" 2>&1); then
        echo "$output" | sed -n '/=== Load warnings/,/=== Registered/p'
        echo "$(basename "$file") did not load cleanly"
        return 1
    fi
    if ! sed -n '/=== Applications used but not registered/,/===/p' <<<"$output" | grep -qx '(none)'; then
        echo "$output" | sed -n '/=== Applications used/,/===/p'
        echo "$(basename "$file") names applications Asterisk does not have"
        return 1
    fi
}

# A call into the sample's menu pressing KEYS; the walk must have executed PATTERN.
walk() {
    local keys=$1 pattern=$2 output
    output=$(CALL_APP=SendDTMF CALL_DATA=$keys "$VOCARA_ASTERISK_CHECK" \
        "$work/walk/pin-menu.conf" context-setting 2>&1 || true)
    if ! grep -qE "$pattern" <<<"$output"; then
        echo "$output" | sed -n '/=== Call/,$p'
        echo "pressing $keys never reached: $pattern"
        return 1
    fi
    walked=$output
}

# The sample menu with its prompts in a folder of ours (the throw-away Asterisk has no sounds,
# and a Read whose prompt is missing ends the call): short silences in the sample's names.
prepare_walk() {
    mkdir -p "$work/sounds/Waves"
    python3 - "$work/sounds/Waves" <<'PY'
import sys, wave
for name in ("menu", "enter_pin"):
    with wave.open(f"{sys.argv[1]}/{name}.wav", "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(8000)
        out.writeframes(b"\0\0" * 2400)
PY
    "$cli" extract "$source_dir/assets/Samples/Flows/pin-menu.conf" -o "$work/walk.qfl"
    sed -i "s|name=\"SoundFilePath\" default=\"[^\"]*\"|name=\"SoundFilePath\" default=\"$work/sounds/\"|" \
        "$work/walk.qfl"
    "$cli" export "$work/walk.qfl" -o "$work/walk/pin-menu.conf" --dialect modern 2>/dev/null || (($? == 1))
}

asterisk() {
    [[ -n ${VOCARA_ASTERISK_CHECK:-} && -x ${VOCARA_ASTERISK_CHECK:-} ]] || {
        echo "VOCARA_ASTERISK_CHECK names no Asterisk check: skipped"
        exit 77
    }
    prepare 20
    mkdir "$work/walk"
    prepare_walk
    local failed=0 file
    for file in "$work"/*.conf "$work"/random/*.conf; do
        loads "$file" || failed=1
    done
    # The sample's menu: 2 says goodbye, so does silence, 0 goes to the operator, 1 asks for
    # the PIN that the server-side script looks up, receiving the argument the classic line
    # gives it.
    walk wwwwww2wwww 'Executing \[2@context-MainMenu_2:[0-9]+\] Playback\(.*"Waves/goodbye"\)' ||
        failed=1
    walk wwwwww0wwww 'Executing \[0@context-MainMenu_2:[0-9]+\] Goto\(.*"operators,100,1"\)' ||
        failed=1
    walk wwwwwwwwwwwwwwwwwwwwww 'Executing \[t@context-MainMenu_2:[0-9]+\] Playback\(.*"Waves/goodbye"\)' ||
        failed=1
    walk wwwwww1wwww1234#wwwwww 'Executing \[s@context-EnterPin:[0-9]+\] Playback\(.*"Waves/welcome_back"\)' ||
        failed=1
    local argument="QENStar called with 1 argument(s): [DB E  ivr  \"SELECT balance FROM accounts WHERE pin = '1234'\" balance]"
    if ! grep -qF "$argument" <<<"${walked:-}"; then
        echo "${walked:-}" | sed -n '/QENStar stub log/,$p'
        echo "the script did not receive: $argument"
        failed=1
    fi
    return $failed
}

case $mode in
lint) lint ;;
asterisk) asterisk ;;
*)
    echo "usage: $0 lint|asterisk VOCARA_CLI RANDOM_DIALPLANS SOURCE_DIR" >&2
    exit 2
    ;;
esac
