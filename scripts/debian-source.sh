#!/usr/bin/env bash
# Fetches and unpacks Debian source packages into a folder, for the builds
# that cross-compile libraries from Debian's sources:
#   debian-source.sh FOLDER PACKAGE...
# The machine need not list deb-src entries: a deb-src twin of each of its
# Debian entries exists only while the download runs, and the machine's
# package lists are as before afterwards.
set -euo pipefail
if [ $# -lt 2 ]; then
  echo "usage: debian-source.sh FOLDER PACKAGE..." >&2
  exit 2
fi
folder=$1
shift
sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)
apt=("${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600)

entry=/etc/apt/sources.list.d/salute-source-$$.sources
remove_entry() {
  if [ -e "$entry" ]; then
    "${sudo[@]}" rm -f "$entry"
    "${apt[@]}" update -qq || true
  fi
}
trap remove_entry EXIT
{
  for file in /etc/apt/sources.list.d/*.sources; do
    [ -e "$file" ] && [ "$file" != "$entry" ] && sed -n 's/^Types:.*\bdeb\b.*/Types: deb-src/;p' "$file" && echo
  done
  if [ -f /etc/apt/sources.list ]; then
    sed -n 's/^deb \(\[[^]]*\] \)\?\([^ ]*\) \([^ ]*\) \(.*\)$/Types: deb-src\nURIs: \2\nSuites: \3\nComponents: \4\n/p' \
      /etc/apt/sources.list
  fi
} | "${sudo[@]}" tee "$entry" >/dev/null
"${apt[@]}" update -qq
mkdir -p "$folder"
(cd "$folder" && apt-get source -qq "$@")
