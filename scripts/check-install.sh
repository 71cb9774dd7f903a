#!/usr/bin/env bash
# check-install.sh BUILD_DIR: installs the built tree into a scratch prefix and
# checks what a desktop reads from it: the menu entry and the software-centre
# description validate, every file they name is there, and both programs
# start from the installed tree.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null
share=$prefix/share
id=org.example.orvalis

desktop-file-validate "$share/applications/$id.desktop"
appstreamcli validate --no-net --pedantic "$share/metainfo/$id.metainfo.xml" >/dev/null
for f in bin/orvalis bin/orvalis-cli share/orvalis/default.txt share/orvalis/sample/terrain.bmp \
         "share/icons/hicolor/scalable/apps/$id.svg" "share/icons/hicolor/48x48/apps/$id.png" \
         share/man/man1/orvalis.1.gz share/man/man1/orvalis-cli.1.gz \
         share/bash-completion/completions/orvalis-cli; do
  [ -e "$prefix/$f" ] || { echo "missing from the installed tree: $f" >&2; exit 1; }
done
for page in orvalis orvalis-cli; do
  man --warnings -l "$prefix/share/man/man1/$page.1.gz" 2>&1 >/dev/null | grep . && exit 1
done
bash -n "$share/bash-completion/completions/orvalis-cli"

"$prefix/bin/orvalis-cli" --version | grep -q '^orvalis-cli '
QT_QPA_PLATFORM=offscreen "$prefix/bin/orvalis" --version | grep -q '^orvalis '
echo "installed tree OK"
