#!/usr/bin/env bash
# Serves dist/web on 127.0.0.1 (browsers do not load WebAssembly from file://)
# and prints the address to open. Ctrl+C stops it.
#   serve-web.sh [PORT]   (default 8080)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
dist="$root/dist/web"
port="${1:-8080}"
[ -f "$dist/index.html" ] || { echo "serve-web: $dist is missing: run scripts/build-web.sh first" >&2; exit 1; }
echo "Open http://127.0.0.1:$port/ in a browser with WebGL2 (Ctrl+C stops the server)."
exec python3 -m http.server "$port" --bind 127.0.0.1 --directory "$dist"
