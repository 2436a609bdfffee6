#!/usr/bin/env bash
# Builds the Debian package, installs it on this machine with apt-get, runs the installed
# programs on the installed sample, and removes it again, checking that nothing it put under
# /usr is left. Needs root; a machine that already has a vocara package is left alone.
# usage: package_test.sh BUILD_DIR
set -euo pipefail

build=$1
skip() {
    echo "package_test: skipped: $*"
    exit 77
}
fail() {
    echo "package_test: $*" >&2
    exit 1
}
[[ $(id -u) -eq 0 ]] || skip "installing a package needs root"
if dpkg-query -W -f='${Status}' vocara 2>/dev/null | grep -q 'install ok installed'; then
    skip "a vocara package is installed already"
fi

work=$(mktemp -d)
installed=false
cleanup() {
    if $installed; then
        DEBIAN_FRONTEND=noninteractive apt-get remove --purge -y -qq vocara >/dev/null 2>&1 || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1 ||
    fail "cpack: $(tail -20 "$work/cpack.log")"
debs=("$work"/package/vocara_*.deb)
deb=${debs[0]}
[[ -f $deb ]] || fail "no package made"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6widgets6 libtinyxml2 libpulse0 libespeak-ng1 libodbc libzip libssl; do
    [[ $depends == *"$library"* ]] || fail "the package does not depend on $library: $depends"
done

installed=true
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$deb" \
    >"$work/apt.log" 2>&1 || fail "apt-get install: $(tail -20 "$work/apt.log")"
dpkg -L vocara >"$work/files"

unset VOCARA_HOME
export VOCARA_USER_DIR=$work/user VOCARA_REGISTRY_DIR=$work/registry VOCARA_AUDIO=null
cd "$work"
sample=/usr/share/vocara/Samples/Flows/menu.qfl
[[ $(command -v vocara-cli) == /usr/bin/vocara-cli ]] || fail "vocara-cli is not /usr/bin/vocara-cli"
/usr/bin/vocara-cli simulate "$sample" --time-scale 0 --caller 1 >"$work/call.txt" 2>"$work/call.err" ||
    fail "the installed vocara-cli could not simulate the installed sample"
! grep -q "could not be found" "$work/call.err" || fail "assets not found: $(cat "$work/call.err")"
grep -q '^PlayWave' "$work/call.txt" || fail "the sample's prompts did not play"
QT_QPA_PLATFORM=offscreen /usr/bin/vocara --export-image "$work/flow.png" "$sample" ||
    fail "the installed vocara could not draw the sample"
[[ -s $work/flow.png ]] || fail "no picture"
if [[ -f /usr/share/man/man1/vocara-cli.1.gz ]]; then
    man -w vocara-cli >/dev/null || fail "man vocara-cli finds no page"
elif grep -qs 'path-exclude.*/usr/share/man' /etc/dpkg/dpkg.cfg.d/*; then
    echo "package_test: this machine's dpkg leaves manual pages out: they are not looked for"
else
    fail "the manual pages are not installed"
fi
if command -v systemd-analyze >/dev/null; then
    # The manual is looked for above; dpkg may be told to leave manuals out.
    systemd-analyze verify --man=no /usr/share/vocara/systemd/vocara-receiver.service ||
        fail "systemd-analyze verify"
else
    echo "package_test: systemd-analyze is not here: the service file is not verified"
fi

DEBIAN_FRONTEND=noninteractive apt-get remove --purge -y -qq vocara >/dev/null 2>&1 ||
    fail "apt-get remove"
installed=false
left=()
while IFS= read -r path; do
    [[ -f $path || -L $path ]] && left+=("$path")
done <"$work/files"
((${#left[@]} == 0)) || fail "left after removal: ${left[*]}"
echo "package_test: $(basename "$deb") installed, ran and was removed cleanly"
