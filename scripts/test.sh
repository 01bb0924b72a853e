#!/usr/bin/env bash
# Installs what the project needs, then runs every test suite: each step in scripts/test.d, in
# order. The last step is the main build's ctest, whose summary line ends the output.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
for step in scripts/test.d/*.sh; do
  echo "== ${step##*/}"
  bash "$step"
done
