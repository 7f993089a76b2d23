#!/usr/bin/env bash
# Serves a folder (the web page's site by default) on 127.0.0.1, with the
# MIME types a browser insists on for WebAssembly and JavaScript modules.
#   scripts/serve-web.sh [folder] [port]     default build-web/site 8000
# Runs until stopped (Ctrl-C).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
case ${1:-} in
  -h|--help) sed -n '2,5p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
  --version) echo "serve-web.sh (Solar System) 1.0.0"; exit 0 ;;
esac
site=${1:-$root/build-web/site}
port=${2:-8000}
if [ ! -f "$site/index.html" ]; then
  echo "serve-web.sh: no index.html in $site (scripts/build-web.sh makes the site)" >&2
  exit 1
fi
case $port in
  ''|*[!0-9]*) echo "serve-web.sh: the port must be a number: $port" >&2; exit 2 ;;
esac
echo "Serving $site on http://127.0.0.1:$port/"
exec python3 - "$site" "$port" <<'PY'
import functools, http.server, sys
site, port = sys.argv[1], int(sys.argv[2])
class Handler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      '.wasm': 'application/wasm', '.js': 'text/javascript', '.mjs': 'text/javascript',
                      '.json': 'application/json', '.css': 'text/css', '.html': 'text/html; charset=utf-8',
                      '.png': 'image/png', '.jpg': 'image/jpeg'}
    def log_message(self, format, *args):
        pass
server = http.server.ThreadingHTTPServer(('127.0.0.1', port), functools.partial(Handler, directory=site))
try:
    server.serve_forever()
except KeyboardInterrupt:
    pass
PY
