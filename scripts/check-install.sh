#!/usr/bin/env bash
# check-install.sh BUILD_DIR: installs the built tree into a scratch prefix and
# checks what a desktop reads from it: the menu entry and the software-centre
# description validate, every file they name is there, both programs start
# from the installed tree, and the window, started elsewhere by a user who
# cannot write to the tree, makes its per-user folder with the sample set-up.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
home=$(mktemp -d)
trap 'rm -rf "$prefix" "$home"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null
share=$prefix/share
id=org.example.orvalis

desktop-file-validate "$share/applications/$id.desktop"
appstreamcli validate --no-net --pedantic "$share/metainfo/$id.metainfo.xml" >/dev/null
for f in bin/orvalis bin/orvalis-cli share/orvalis/default.txt share/orvalis/sample/terrain.bmp \
         "share/icons/hicolor/scalable/apps/$id.svg" "share/icons/hicolor/48x48/apps/$id.png" \
         share/man/man1/orvalis.1.gz share/man/man1/orvalis-cli.1.gz \
         share/bash-completion/completions/orvalis-cli share/doc/orvalis/copyright \
         share/doc/orvalis/changelog.gz; do
  [ -e "$prefix/$f" ] || { echo "missing from the installed tree: $f" >&2; exit 1; }
done
if command -v man >/dev/null; then
  for page in orvalis orvalis-cli; do
    man --warnings -l "$prefix/share/man/man1/$page.1.gz" 2>&1 >/dev/null | grep . && exit 1
  done
fi
bash -n "$share/bash-completion/completions/orvalis-cli"

"$prefix/bin/orvalis-cli" --version | grep -q '^orvalis-cli '
QT_QPA_PLATFORM=offscreen "$prefix/bin/orvalis" --version | grep -q '^orvalis '

as_user=()
if [ "$(id -u)" -eq 0 ]; then
  chmod 755 "$prefix"
  chown nobody "$home"
  as_user=(runuser -u nobody --)
fi
(cd "$home" && "${as_user[@]}" env HOME="$home" XDG_DATA_HOME="$home/data" \
   XDG_CONFIG_HOME="$home/config" QT_QPA_PLATFORM=offscreen \
   sh -c 'echo $$ > pid; exec "$1"' sh "$prefix/bin/orvalis" >/dev/null 2>&1 &)
seeded=$home/data/orvalis
# The window copies the sample into the user's folder as it starts: wait for
# the files themselves (each appears whole, under its name, once copied),
# however long a loaded machine takes.
for _ in $(seq 3000); do
  [ -f "$seeded/default.txt" ] && [ -f "$seeded/sample/terrain.bmp" ] && break
  sleep 0.1
done
kill "$(cat "$home/pid")"
cmp "$seeded/default.txt" "$share/orvalis/default.txt"
cmp "$seeded/sample/terrain.bmp" "$share/orvalis/sample/terrain.bmp"
echo "installed tree OK"
