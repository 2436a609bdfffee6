#!/usr/bin/env bash
# A million-node flow, as a deep chain and as a wide menu tree: save -> open -> save gives the
# same bytes, and validate, export and simulate run through. Minutes, and a few GB of memory.
#   bench/million_round_trip.sh [BUILD_DIR] [NODES]
set -euo pipefail
build=${1:-build}
nodes=${2:-1000000}
cli="$build/cli/vocara-cli"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export VOCARA_USER_DIR="$work/user" VOCARA_REGISTRY_DIR="$work/registry" VOCARA_AUDIO=null
step() {
    local name=$1
    shift
    /usr/bin/time -f "  $name: %e s, %M KiB peak" "$@" > "$work/out" 2> "$work/err" || {
        local status=$?
        # validate and export say 1 for a flow with errors; that is still a run through.
        if [ "$status" -ne 1 ]; then
            cat "$work/err" >&2
            exit 1
        fi
    }
    tail -1 "$work/err"
}
for shape in deep wide; do
    echo "$shape, $nodes nodes"
    step generate "$build/bench/scale_bench" "--write=$shape:$nodes:$work/$shape.qfl"
    ls -l "$work/$shape.qfl" | awk '{printf "  file: %d bytes\n", $5}'
    step save "$cli" save "$work/$shape.qfl" -o "$work/$shape-1.qfl"
    step "save again" "$cli" save "$work/$shape-1.qfl" -o "$work/$shape-2.qfl"
    cmp "$work/$shape-1.qfl" "$work/$shape-2.qfl"
    cmp "$work/$shape.qfl" "$work/$shape-1.qfl"
    echo "  save -> open -> save: the same bytes"
    step validate "$cli" validate "$work/$shape-1.qfl"
    step export "$cli" export "$work/$shape-1.qfl" -o "$work/$shape.conf"
    step "export modern" "$cli" export "$work/$shape-1.qfl" -o "$work/$shape-modern.conf" --dialect modern
    step "open the dialplan" "$cli" validate "$work/$shape.conf"
    step simulate "$cli" simulate "$work/$shape-1.qfl" --time-scale 0
    echo "  simulate: $(wc -l < "$work/out") lines"
    rm -f "$work"/$shape*
done
