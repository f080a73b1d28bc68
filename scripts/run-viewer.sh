#!/usr/bin/env bash
# Installs what is needed, builds, and starts the viewer (it needs a display). It keeps its
# settings in Korvalin.ini in the folder it is started from.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" build
exec "$root/build/app/korvalin"
