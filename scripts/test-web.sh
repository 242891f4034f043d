#!/usr/bin/env bash
# The page's tests in a real browser (./test.sh --web): builds the site
# (scripts/build-web.sh), installs Debian's Chromium and the pinned test
# driver (tests/web/package-lock.json), and runs tests/web/ with node's test
# runner. Arguments go to node --test (such as --test-name-pattern=golden).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build-web.sh
missing=()
for package in chromium ffmpeg nodejs; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
command -v npm >/dev/null 2>&1 || missing+=(npm)
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing missing packages: ${missing[*]}"
  apt_get=(apt-get -o DPkg::Lock::Timeout=600)
  if [ "$(id -u)" -ne 0 ]; then apt_get=(sudo "${apt_get[@]}"); fi
  DEBIAN_FRONTEND=noninteractive "${apt_get[@]}" update -qq
  DEBIAN_FRONTEND=noninteractive "${apt_get[@]}" install -y -qq --no-install-recommends "${missing[@]}"
fi
cd tests/web
# Installed again only when the lock file changed.
if ! cmp -s package-lock.json node_modules/.installed-lock.json 2>/dev/null; then
  npm ci --no-audit --no-fund
  cp package-lock.json node_modules/.installed-lock.json
fi
# Node reports in TAP when its output is not a terminal (CI, logs).
exec node --test "$@" ./*_test.mjs
