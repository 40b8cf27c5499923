#!/usr/bin/env bash
# Installs what is missing, builds the web page and serves it on 127.0.0.1 (port $PORT,
# by default the first free one from 8000). The site folder build-web/site can be copied
# to any static web host as it is.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install_deps.sh --web
bash tools/build_web.sh >/dev/null
site=${WEB_BUILD_DIR:-build-web}/site
port=${PORT:-}
if [ -z "$port" ]; then
  port=$(python3 -c 'import socket
for p in range(8000, 8100):
    s = socket.socket()
    try:
        s.bind(("127.0.0.1", p)); print(p); break
    except OSError:
        pass
    finally:
        s.close()')
fi
echo "agvsim: the page is at http://127.0.0.1:$port/ (Ctrl-C ends the server)"
exec python3 -m http.server --bind 127.0.0.1 "$port" --directory "$site"
