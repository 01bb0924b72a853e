#!/usr/bin/env bash
# Installs the Debian packages that scripts/packages/*.txt list (one per line, # for comments).
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t wanted < <(sed -e 's/#.*//' -e '/^[[:space:]]*$/d' scripts/packages/*.txt | tr -d ' ' | sort -u)
missing=()
for package in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" || missing+=("$package")
done
if ((${#missing[@]})); then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
