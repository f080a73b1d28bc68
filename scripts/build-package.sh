#!/usr/bin/env bash
# Builds the Debian package from the tree: a release build of the programs alone in
# build-package/, then korvalin_<version>_amd64.deb there (CPack; dependencies worked out from
# the binaries), checked with lintian, which must report no errors. Prints the package's path.
# Needs what scripts/install-deps.sh installs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
folder=$root/build-package
"$root/scripts/build.sh" build-package -DCMAKE_BUILD_TYPE=Release -DKORVALIN_TESTS=OFF \
  -DKORVALIN_BENCH=OFF >&2
rm -f "$folder"/korvalin_*.deb
(cd "$folder" && cpack -G DEB >&2)
package=$(ls "$folder"/korvalin_*_amd64.deb)
# Errors fail the build; warnings are shown for a look.
lintian --fail-on error --tag-display-limit 0 "$package" >&2
echo "$package"
