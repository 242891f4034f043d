#!/usr/bin/env bash
# Runs the README's two commands on a fresh Debian 12 machine: a minimal
# bookworm root made with debootstrap, a clean clone of this repository's
# HEAD copied into it, then ./run.sh (there is no display in the root, so it
# renders the video) and ./test.sh, as root inside a chroot. A step the
# scripts forgot to install fails here, where the development machine would
# have hidden it.
#
#   scripts/fresh-root.sh [ROOT]     (as root; ROOT defaults to /var/tmp/salute-fresh-root)
#
# The root is made anew on every run; nothing of an earlier run is reused.
set -euo pipefail
cd "$(dirname "$0")/.."
repository=$PWD
root=${1:-/var/tmp/salute-fresh-root}
mirror=${SALUTE_DEBIAN_MIRROR:-http://deb.debian.org/debian}

if [ "$(id -u)" -ne 0 ]; then
  echo "fresh-root.sh needs root (debootstrap and chroot)" >&2
  exit 1
fi
if ! command -v debootstrap >/dev/null; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends debootstrap
fi

mounted=()
cleanup() {
  # Innermost first; lazily, so a process still ending cannot keep them.
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -l "${mounted[i]}" 2>/dev/null || true; done
}
trap cleanup EXIT

rm -rf "$root"
echo "== debootstrap --variant=minbase bookworm $root"
debootstrap --variant=minbase bookworm "$root" "$mirror" >"$root.debootstrap.log" 2>&1 || {
  tail -n 20 "$root.debootstrap.log" >&2
  exit 1
}
for target in proc sys dev dev/shm; do
  mount --bind "/$target" "$root/$target"
  mounted+=("$root/$target")
done
cp /etc/resolv.conf "$root/etc/resolv.conf"
# The same archive as the host (bookworm and its updates and security suites).
cp -r /etc/apt/sources.list.d "$root/etc/apt/" 2>/dev/null || true
[ -f /etc/apt/sources.list ] && cp /etc/apt/sources.list "$root/etc/apt/sources.list"

# A clean clone: only what is committed.
git clone -q --no-local "$repository" "$root/root/salute"

# A minimal root has neither git nor certificates; the README's commands
# must bring whatever they need themselves.
run_in_root() {
  chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    LANG=C.UTF-8 TERM=dumb bash -c "cd /root/salute && $1"
}
echo "== ./run.sh"
run_in_root ./run.sh
test -s "$root/root/salute/salute.mp4" || { echo "FAIL: ./run.sh made no salute.mp4" >&2; exit 1; }
# Watching needs none of the test and benchmark tools.
for tool in clang clang-tidy valgrind gnuplot-nox libgtest-dev; do
  if chroot "$root" dpkg-query -W -f='${Status}' "$tool" 2>/dev/null | grep -q "install ok installed"; then
    echo "FAIL: ./run.sh installed $tool, which only the tests need" >&2
    exit 1
  fi
done
echo "== ./test.sh"
run_in_root ./test.sh
echo "== the fresh root passed: ./run.sh rendered salute.mp4 and ./test.sh is green"
