#!/usr/bin/env bash
# Builds the Debian package from the release build, installs it with apt,
# runs the installed programs from /usr/bin as an ordinary user, removes it
# again and checks that none of its files is left behind. Needs root.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/release
[ -x "$build/cli/qmcli" ] || ./scripts/build.sh release
if dpkg-query -W -f='${Status}' qm-tool 2>/dev/null | grep -q "install ok installed"; then
  echo "check-package: qm-tool is installed on this machine already; not touching it" >&2
  exit 1
fi

rm -f "$build"/qm-tool_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$PWD/$build"/qm-tool_*.deb)
echo "check-package: $(basename "$deb")"
dpkg-deb --field "$deb" Depends Recommends

export DEBIAN_FRONTEND=noninteractive
removed=0
remove() {
  if [ "$removed" = 0 ]; then
    removed=1
    apt-get purge -y -q qm-tool </dev/null >/dev/null
  fi
}
trap remove EXIT
apt-get install -y -q --no-install-recommends "$deb" </dev/null >/dev/null
files=$(dpkg -L qm-tool)

user=nobody
id "$user" >/dev/null 2>&1 || user=""
packaging/check-installed.sh /usr ${user:+--as "$user"}

remove
left=""
for f in $files; do
  if [ -e "$f" ] && [ ! -d "$f" ]; then left="$left $f"; fi
done
[ -e /usr/share/qm_tool ] && left="$left /usr/share/qm_tool"
if [ -n "$left" ]; then
  echo "check-package: left behind after removal:$left" >&2
  exit 1
fi
echo "check-package: installed, ran and removed cleanly"
