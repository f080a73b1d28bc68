#!/usr/bin/env bash
# Installs what is needed, builds, and shows what the sample mesh holds. Arguments replace the
# sample: scripts/run-viewer.sh --textures DIR FILE.msh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" build
if [ $# -eq 0 ]; then
  set -- --textures "$root/samples" "$root/samples/hull.msh"
fi
exec "$root/build/tools/korvalin-info" "$@"
