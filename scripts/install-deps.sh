#!/usr/bin/env bash
# Installs the Debian packages that scripts/packages/*.txt list (one per line, # for comments):
# all of them, or only the lists named (scripts/install-deps.sh base viewer).
set -euo pipefail
cd "$(dirname "$0")/.."
lists=(scripts/packages/*.txt)
if (($#)); then lists=("${@/#/scripts/packages/}") && lists=("${lists[@]/%/.txt}"); fi
mapfile -t wanted < <(sed -e 's/#.*//' -e '/^[[:space:]]*$/d' "${lists[@]}" | tr -d ' ' | sort -u)
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
