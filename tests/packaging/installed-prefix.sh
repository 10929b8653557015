#!/usr/bin/env bash
# Installs the build into a temporary prefix and uses the programs from there: kavrin-cli
# finds the installed samples, description files and probe library, and the desktop files,
# man pages and icons are in place and pass their validators.
# Usage: installed-prefix.sh BUILD-FOLDER WORK-FOLDER
set -uo pipefail
build=$1
work=$2
prefix=$work/prefix

fail() {
    echo "FAILED: $*"
    exit 1
}

rm -rf "$work" && mkdir -p "$work/elsewhere" || fail "cannot use $work"
cmake --install "$build" --prefix "$prefix" >"$work/install.log" ||
    fail "cmake --install: $(tail -n 5 "$work/install.log")"

for file in bin/kavrin bin/kavrin-window bin/kavrin-cli bin/kavrin-gen lib/kavrin/libVantarARM.so \
    share/kavrin/Doc/Manual_Kavrin.pdf share/kavrin/Description/KAVRIN_Tessera.txt \
    share/kavrin/Sample/ControlLoop.KVDat share/kavrin/Sample/ApiAndLog.KVDat \
    share/applications/com.norvan.Kavrin.desktop share/metainfo/com.norvan.Kavrin.metainfo.xml \
    share/mime/packages/com.norvan.Kavrin.xml share/man/man1/kavrin.1 \
    share/man/man1/kavrin-cli.1 share/bash-completion/completions/kavrin-cli; do
    [ -f "$prefix/$file" ] || fail "$file is not installed"
done
for size in 16 24 32 48 64 128 256; do
    [ -f "$prefix/share/icons/hicolor/${size}x$size/apps/com.norvan.Kavrin.png" ] ||
        fail "the ${size}x$size icon is not installed"
done
[ -z "$(find "$prefix/share/kavrin/Description" -name CMakeLists.txt)" ] ||
    fail "build files are installed with the description files"

# Run from elsewhere, so that nothing is found in the current directory.
cd "$work/elsewhere" || fail "cannot enter $work/elsewhere"
cli=$prefix/bin/kavrin-cli
sample=$prefix/share/kavrin/Sample/ApiAndLog.KVDat
"$cli" info "$sample" >info.txt 2>info.err || fail "kavrin-cli info: $(cat info.err)"
grep -q "^Target System/OS	Tessera$" info.txt || fail "kavrin-cli info printed: $(head -n 5 info.txt)"
# The API events are named by the installed description files.
"$cli" events "$sample" --count 2000 >events.txt 2>events.err || fail "kavrin-cli events"
! grep -q "not found" events.err || fail "a description file was not found: $(cat events.err)"
"$build/bin/kavrin-cli" events "$sample" --count 2000 >events-build.txt 2>/dev/null
cmp -s events.txt events-build.txt || fail "the installed kavrin-cli names events differently"
# The installed probe library drives the simulated target.
"$cli" record recorded.KVDat --events 500 2>record.err ||
    fail "kavrin-cli record with the installed probe library: $(cat record.err)"

bash -n "$prefix/share/bash-completion/completions/kavrin-cli" || fail "bash completion"
for page in kavrin kavrin-cli; do
    if command -v groff >/dev/null; then
        warnings=$(groff -man -ww -z "$prefix/share/man/man1/$page.1" 2>&1)
        [ -z "$warnings" ] || fail "man page $page.1: $warnings"
    fi
done
# The validators are installed by scripts/install-deps; elsewhere they may be missing.
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$prefix/share/applications/com.norvan.Kavrin.desktop" ||
        fail "desktop-file-validate"
else
    echo "desktop-file-validate is not installed: the desktop entry is not validated"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$prefix/share/metainfo/com.norvan.Kavrin.metainfo.xml" ||
        fail "appstreamcli validate"
else
    echo "appstreamcli is not installed: the AppStream metadata is not validated"
fi
echo "installed into $prefix and used from there"
