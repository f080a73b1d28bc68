#!/usr/bin/env bash
# Installs what is needed, builds, and starts the viewer (it needs a display). Without arguments
# it opens the textured cube sample with its textures; arguments go to the viewer instead
# (korvalin [--textures DIR] [FILE.msh]; none at all: pass --). The viewer keeps its settings in
# Korvalin.ini in the folder it is started from.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" build
if [ $# -eq 0 ]; then
  set -- --textures "$root/samples" "$root/samples/cube.msh"
elif [ "$1" = "--" ]; then
  shift
fi
exec "$root/build/app/korvalin" "$@"
