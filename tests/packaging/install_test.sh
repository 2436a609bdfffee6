#!/usr/bin/env bash
# Installs the build into a temporary prefix, moves the whole tree elsewhere, and checks that the
# moved programs still find their assets and plugin and that every desktop file passes its own
# validator.
# usage: install_test.sh BUILD_DIR
set -euo pipefail

build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "install_test: $*" >&2
    exit 1
}

cmake --install "$build" --prefix "$work/first" >/dev/null
mv "$work/first" "$work/moved"
prefix=$work/moved
id=org.vocara.Designer

for file in bin/vocara bin/vocara-cli lib/vocara/libfieldora.so share/vocara/DTMF/digit_1.wav \
    share/vocara/Samples/Flows/menu.qfl share/vocara/Samples/Scripts \
    "share/vocara/IVR user guide_PDF_E.pdf" share/vocara/Languages/English \
    share/vocara/systemd/vocara-receiver.service "share/applications/$id.desktop" \
    "share/mime/packages/$id.xml" "share/metainfo/$id.metainfo.xml" \
    "share/icons/hicolor/scalable/apps/$id.svg" \
    share/icons/hicolor/scalable/mimetypes/application-x-vocara-flow.svg \
    share/man/man1/vocara.1.gz share/man/man1/vocara-cli.1.gz; do
    [[ -e $prefix/$file ]] || fail "$file is not installed"
done
for size in 16 22 24 32 48 64 128 256; do
    [[ -s $prefix/share/icons/hicolor/${size}x$size/apps/$id.png ]] || fail "no ${size}px icon"
done

# The moved programs, with nothing of the build around them and no settings pointing anywhere.
unset VOCARA_HOME
export VOCARA_USER_DIR=$work/user VOCARA_REGISTRY_DIR=$work/registry VOCARA_AUDIO=null
cd "$work"
"$prefix/bin/vocara-cli" --version | grep -q '^vocara-cli [0-9]' || fail "vocara-cli --version"
sample=$prefix/share/vocara/Samples/Flows/menu.qfl
"$prefix/bin/vocara-cli" simulate "$sample" --time-scale 0 --caller 1 >"$work/call.txt" 2>"$work/call.err" ||
    fail "the moved vocara-cli could not simulate the sample"
! grep -q "could not be found" "$work/call.err" || fail "assets not found: $(cat "$work/call.err")"
grep -q '^PlayWave' "$work/call.txt" || fail "the sample's prompts did not play: $(cat "$work/call.txt")"
"$prefix/bin/vocara-cli" speak 12 --play >/dev/null || fail "the moved vocara-cli found no prompts"
QT_QPA_PLATFORM=offscreen "$prefix/bin/vocara" --screenshot "$work/main.png" --select 2,0 "$sample" \
    2>"$work/designer.err" || fail "the moved designer did not start: $(cat "$work/designer.err")"
[[ -s $work/main.png ]] || fail "no screenshot"
if grep -q "property grid was looked for" "$work/designer.err"; then
    fail "the moved designer did not find its plugin: $(cat "$work/designer.err")"
fi

# Each file by its own validator.
desktop-file-validate "$prefix/share/applications/$id.desktop" >"$work/desktop.txt" 2>&1 ||
    fail "desktop-file-validate: $(cat "$work/desktop.txt")"
[[ ! -s $work/desktop.txt ]] || fail "desktop-file-validate: $(cat "$work/desktop.txt")"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" >"$work/as.txt" 2>&1 ||
    fail "appstreamcli: $(cat "$work/as.txt")"
for page in "$prefix"/share/man/man1/*.1.gz; do
    zcat "$page" | groff -man -ww -z 2>"$work/man.txt" && [[ ! -s $work/man.txt ]] ||
        fail "$(basename "$page"): $(cat "$work/man.txt")"
done
man -l "$prefix/share/man/man1/vocara-cli.1.gz" 2>/dev/null | grep -q 'archive export FLOW' ||
    fail "vocara-cli(1) does not list every command"

# The file types, in a MIME database of their own beside the system's: a flow, a script and a
# dialplan of ours are recognised, another .conf is not claimed.
mkdir -p "$work/data/mime/packages"
cp /usr/share/mime/packages/freedesktop.org.xml "$prefix/share/mime/packages/$id.xml" \
    "$work/data/mime/packages/"
XDG_DATA_HOME=$work/data XDG_DATA_DIRS=$work/data update-mime-database "$work/data/mime" \
    2>"$work/mime.txt"
[[ ! -s $work/mime.txt ]] || fail "update-mime-database: $(cat "$work/mime.txt")"
cp "$sample" "$work/flow.qfl"
cp "$prefix/share/vocara/Samples/Flows/pin-menu.conf" "$work/ours.conf"
printf '[general]\nstatic=yes\n' >"$work/other.conf"
"$prefix/bin/vocara-cli" export "$sample" --dialect modern -o "$work/modern.conf" 2>/dev/null ||
    (($? == 1))
kind() {
    XDG_DATA_HOME=$work/data XDG_DATA_DIRS=$work/data gio info -a standard::content-type "$1" |
        sed -n 's/.*standard::content-type: //p'
}
[[ $(kind "$work/flow.qfl") == application/x-vocara-flow ]] || fail "flow: $(kind "$work/flow.qfl")"
[[ $(kind "$work/ours.conf") == text/x-vocara-dialplan ]] || fail "dialplan: $(kind "$work/ours.conf")"
[[ $(kind "$work/modern.conf") == text/x-vocara-dialplan ]] || fail "modern: $(kind "$work/modern.conf")"
[[ $(kind "$work/other.conf") != text/x-vocara-dialplan ]] || fail "another .conf was claimed"
echo "install_test: the moved installation works and its desktop files are valid"
