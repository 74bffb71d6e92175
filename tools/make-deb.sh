#!/usr/bin/env bash
# Makes the Debian package of Zenolith with CPack from a build folder, building only what the
# package holds (an existing build is reused as it is). With --check it then installs the
# package with apt-get (as root), runs packaging/smoke.sh on /usr and removes the package again.
# Usage: tools/make-deb.sh [--check] [BUILD_FOLDER]   (default build; the package goes to
#        BUILD_FOLDER/packages)
set -euo pipefail
cd "$(dirname "$0")/.."
check=no
if [ "${1-}" = --check ]; then
  check=yes
  shift
fi
build="${1:-build}"

tools/deps.sh
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" -j"$(nproc)" --target zenolith zenolith-render zenolith-man zenolith-icons
rm -rf "$build/packages"
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$build/packages" >"$build/cpack.log" ||
  { cat "$build/cpack.log" >&2; exit 1; }
deb="$(ls "$build"/packages/zenolith_*.deb)"
echo "made $deb"
dpkg-deb --field "$deb" Package Version Architecture Depends

if [ "$check" = yes ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "--check installs the package: run it as root" >&2
    exit 1
  fi
  (cd "$(dirname "$deb")" &&
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
      "./$(basename "$deb")")
  status=0
  packaging/smoke.sh /usr || status=$?
  DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq zenolith >/dev/null
  exit "$status"
fi
