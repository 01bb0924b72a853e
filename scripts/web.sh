#!/usr/bin/env bash
# The viewer in the browser: installs what building it needs, builds the site with emscripten
# (cmake --preset web, into build-web/site) and serves it on http://127.0.0.1:PORT/ (8000 unless
# given) until stopped. Nothing else is fetched: the page loads only its own files.
set -euo pipefail
cd "$(dirname "$0")/.."
port=${1:-8000}
scripts/install-deps.sh web
cmake --preset web >/dev/null
cmake --build --preset web
echo "The viewer: http://127.0.0.1:$port/  (or open build-web/site/pelmora.html from the disk)"
exec /usr/bin/python3 -m http.server "$port" --bind 127.0.0.1 --directory build-web/site
