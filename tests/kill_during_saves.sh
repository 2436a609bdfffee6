#!/usr/bin/env bash
# Kills vocara-cli at random moments while it saves and exports a 10,000-node flow, and checks
# that the target is always the whole old file or the whole new one, and that the next save
# clears the temporary files the killed ones left. Takes a few minutes, so it is not part of
# the CTest run:
#   tests/kill_during_saves.sh [BUILD_DIR] [ROUNDS]
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$root/build}
rounds=${2:-100}
cli=$build/cli/vocara-cli
bench=$build/bench/flow_file_bench
for tool in "$cli" "$bench"; do
    [[ -x $tool ]] || { echo "kill_during_saves: build $tool first" >&2; exit 2; }
done

work=$(mktemp -d)
generated=
trap 'rm -rf "$work"; [[ -z $generated ]] || rm -rf "$(dirname "$generated")"' EXIT
export VOCARA_USER_DIR=$work/user VOCARA_REGISTRY_DIR=$work/registry
mkdir -p "$VOCARA_USER_DIR"

# A copy of the program of our own: a rebuild meanwhile does not pull it away.
cp "$cli" "$work/vocara-cli"
cli=$work/vocara-cli
generated=$("$bench" --write-flow=10000)
cp "$generated" "$work/a.qfl"
sed 's/timeout="5"/timeout="7"/' "$generated" >"$work/b.qfl"
# The two versions as a save writes them.
"$cli" save "$work/a.qfl" -o "$work/a.saved" >/dev/null 2>&1
"$cli" save "$work/b.qfl" -o "$work/b.saved" >/dev/null 2>&1
cmp -s "$work/a.saved" "$work/b.saved" && { echo "the two versions are alike" >&2; exit 2; }

# A random moment within the time a whole run takes (about 0.7 s here).
moment() { printf '0.%03d' $((RANDOM % 900)); }

# Runs the command in the background and kills it at a random moment (or after it is done).
kill_at_random() {
    "$cli" "$@" >/dev/null 2>&1 &
    local pid=$!
    sleep "$(moment)"
    kill -9 "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}

failures=0
check_saved() {
    if ! cmp -s "$1" "$work/a.saved" && ! cmp -s "$1" "$work/b.saved"; then
        echo "round $2: $1 is neither the old nor the new file" >&2
        failures=$((failures + 1))
    fi
}
# An export is whole when its flow comes out and is one of the two versions.
check_exported() {
    rm -f "$work/extracted.qfl"
    if ! "$cli" extract "$1" -o "$work/extracted.qfl" 2>"$work/extract.err" ||
        ! { cmp -s "$work/extracted.qfl" "$work/a.saved.flow" ||
            cmp -s "$work/extracted.qfl" "$work/b.saved.flow"; }; then
        echo "round $2: $1 is not a whole dialplan of either version" \
            "($(cat "$work/extract.err"); $(md5sum <"$work/extracted.qfl" 2>&1))" >&2
        cp "$1" "${KILL_KEEP:-/dev/null}" 2>/dev/null || true
        failures=$((failures + 1))
    fi
}

cp "$work/a.saved" "$work/target.qfl"
"$cli" export "$work/a.qfl" -o "$work/target.conf" >/dev/null 2>&1 || (($? == 1))
"$cli" extract "$work/target.conf" -o "$work/a.saved.flow"
"$cli" export "$work/b.qfl" -o "$work/b.conf" >/dev/null 2>&1 || (($? == 1))
"$cli" extract "$work/b.conf" -o "$work/b.saved.flow"

for ((round = 1; round <= rounds; round++)); do
    source=$work/a.qfl
    ((round % 2 == 0)) || source=$work/b.qfl
    kill_at_random save "$source" -o "$work/target.qfl"
    check_saved "$work/target.qfl" "$round"
    kill_at_random export "$source" -o "$work/target.conf"
    check_exported "$work/target.conf" "$round"
done

left=$(find "$work" -maxdepth 1 -name '.target.*' | wc -l)
((left > 0)) || echo "kill_during_saves: no run was killed during its write; try more rounds" >&2
echo "kill_during_saves: $rounds rounds, $left temporary files left by killed runs"
# Age them past the minute a save under way may take, then save once more.
find "$work" -maxdepth 1 -name '.target.*' -exec touch -d '2 minutes ago' {} +
"$cli" save "$work/a.qfl" -o "$work/target.qfl" >/dev/null 2>&1
"$cli" export "$work/a.qfl" -o "$work/target.conf" >/dev/null 2>&1 || (($? == 1))
remaining=$(find "$work" -maxdepth 1 -name '.target.*' | wc -l)
if ((remaining > 0)); then
    echo "the next save left $remaining temporary files" >&2
    failures=$((failures + 1))
fi
if ((failures > 0)); then
    echo "kill_during_saves: $failures failures" >&2
    exit 1
fi
echo "kill_during_saves: every target whole, no temporary file left"
