#!/usr/bin/env bash
# Checks an installed tree: every file in its FHS place, and the installed
# programs working from there, QM_TOOL finding its language file in
# <prefix>/share/qm_tool.
#   packaging/check-installed.sh PREFIX [--as USER]
#   packaging/check-installed.sh --build BUILD_DIR
# --as runs the programs as USER (needs root): what an ordinary user gets.
# --build installs BUILD_DIR into a scratch prefix first (cmake --install),
# as a user without root may do, and checks that.
set -euo pipefail
as_user=""
cleanup_prefix=""
scratch=""
trap 'rm -rf $scratch $cleanup_prefix' EXIT
if [ "$1" = "--build" ]; then
  prefix=$(mktemp -d)
  cleanup_prefix="$prefix"
  cmake --install "$2" --prefix "$prefix" >/dev/null
else
  prefix="$1"
  shift
  if [ "${1:-}" = "--as" ]; then as_user="$2"; fi
fi

fail() { echo "check-installed: $*" >&2; exit 1; }
need_file() { [ -f "$prefix/$1" ] || fail "missing $prefix/$1"; }

for program in qmcli qm_sim; do
  [ -x "$prefix/bin/$program" ] || fail "missing program $prefix/bin/$program"
done
need_file share/qm_tool/QM_TOOL.ini
for page in qmcli qm_sim QM_TOOL; do
  need_file "share/man/man1/$page.1.gz"
  gzip -t "$prefix/share/man/man1/$page.1.gz" || fail "damaged manual page $page.1.gz"
done
rule="$prefix/lib/udev/rules.d/60-qm-tool-usbtmc.rules"
[ -f "$rule" ] || fail "missing udev rule $rule"
grep -q 'TAG+="uaccess"' "$rule" && grep -q 'GROUP="plugdev"' "$rule" &&
  grep -q 'ATTRS{idVendor}=="[0-9a-f]\{4\}"' "$rule" || fail "udev rule does not grant access: $rule"

# The window and its menu entry and icons, when the build has a window.
with_window=0
if [ -x "$prefix/bin/QM_TOOL" ]; then
  with_window=1
  desktop="$prefix/share/applications/qm_tool.desktop"
  [ -f "$desktop" ] || fail "missing menu entry $desktop"
  grep -qx 'Exec=QM_TOOL' "$desktop" && grep -qx 'Icon=qm_tool' "$desktop" ||
    fail "menu entry does not start QM_TOOL with its icon"
  need_file share/icons/hicolor/scalable/apps/qm_tool.svg
  for size in 16 22 24 32 48 64 128 256; do
    png="$prefix/share/icons/hicolor/${size}x${size}/apps/qm_tool.png"
    [ -f "$png" ] || fail "missing icon $png"
    # PNG signature, then the width and height of the IHDR chunk.
    header=$(od -An -tx1 -N24 "$png" | tr -d ' \n')
    [ "${header:0:16}" = "89504e470d0a1a0a" ] || fail "not a PNG: $png"
    [ $((16#${header:32:8})) -eq "$size" ] && [ $((16#${header:40:8})) -eq "$size" ] ||
      fail "$png is not ${size}x${size}"
  done
fi

# The link engine and the add-in: the extension, and with a window the host,
# the list control with its Designer plugin, and the menu entry; Load and
# addinclean where the build has the office's backend.
need_file share/qm_tool/QMLINKTX42.oxt
oxt="$prefix/share/qm_tool/QMLINKTX42.oxt"
[ "$(head -c 2 "$oxt")" = "PK" ] || fail "not a zip: $oxt"
for entry in META-INF/manifest.xml description.xml QMLink/script.xlb QMLink/Link.xba; do
  grep -aqF "$entry" "$oxt" || fail "$oxt holds no $entry"
done
need_file lib/qm_tool/libDMMLinkQM.so.1
with_addin=0
if [ "$with_window" = 1 ]; then
  for program in qmlink; do
    [ -x "$prefix/bin/$program" ] || fail "missing program $prefix/bin/$program"
  done
  need_file lib/qm_tool/libDMMSearchQM.so.1
  need_file lib/qt6/plugins/designer/libDMMListQMPlugin.so
  entry="$prefix/share/applications/qm_link.desktop"
  [ -f "$entry" ] || fail "missing menu entry $entry"
  grep -qx 'Name=Varnet QM-Link' "$entry" && grep -qx 'Exec=Load QMLINKTX42.oxt' "$entry" ||
    fail "menu entry $entry does not run Load with the add-in"
  if [ -x "$prefix/bin/Load" ]; then
    with_addin=1
    [ -x "$prefix/bin/addinclean" ] || fail "missing program $prefix/bin/addinclean"
  fi
  # Every library of the installed programs and of the plugin is found.
  for file in bin/qmlink bin/Load bin/addinclean lib/qt6/plugins/designer/libDMMListQMPlugin.so; do
    [ -e "$prefix/$file" ] || continue
    missing=$(ldd "$prefix/$file" | grep 'not found' || true)
    [ -z "$missing" ] || fail "$prefix/$file: $missing"
  done
fi

# Run the installed programs from a scratch folder, with nothing pointing
# them at the source or build tree.
scratch=$(mktemp -d)
chmod 0777 "$scratch"
run() {
  local env_args=(env -u QM_TOOL_WINDIR -u QM_VISA_RESOURCES QT_QPA_PLATFORM=offscreen
                  HOME="$scratch" XDG_RUNTIME_DIR="$scratch")
  if [ -n "$as_user" ]; then
    (cd "$scratch" && runuser -u "$as_user" -- "${env_args[@]}" "$@")
  else
    (cd "$scratch" && "${env_args[@]}" "$@")
  fi
}

run "$prefix/bin/qmcli" --simulate list >"$scratch/list.txt" 2>"$scratch/list.err" ||
  fail "installed qmcli --simulate list failed: $(cat "$scratch/list.err")"
grep -q 'TX42-USBTMC-SN000001' "$scratch/list.txt" || fail "installed qmcli listed: $(cat "$scratch/list.txt")"

if [ "$with_window" = 1 ]; then
  run "$prefix/bin/QM_TOOL" --simulate --language zh_TW --screenshot "$scratch/window.png" \
      >"$scratch/tool.out" 2>"$scratch/tool.err" ||
    fail "installed QM_TOOL --screenshot failed: $(cat "$scratch/tool.err")"
  [ -s "$scratch/window.png" ] || fail "installed QM_TOOL saved no screenshot"
  # Without its language file the program says so: it must have found
  # <prefix>/share/qm_tool/QM_TOOL.ini, as there is none beside it.
  if grep -q 'QM_TOOL.ini' "$scratch/tool.err"; then
    fail "installed QM_TOOL did not find its language file: $(cat "$scratch/tool.err")"
  fi
fi
if [ "$with_window" = 1 ]; then
  run "$prefix/bin/qmlink" --help >"$scratch/qmlink.out" 2>&1 ||
    fail "installed qmlink --help failed: $(cat "$scratch/qmlink.out")"
fi

# Load as the menu entry runs it, a Writer template, and addinclean, against
# a headless office of their own (a throw-away profile, a private pipe; every
# wait bounded, the office ended however the check ends).
template="$(dirname "$0")/../tests/data/addin/qm-link-template.ott"
if [ "$with_addin" = 1 ] && [ -x /usr/lib/libreoffice/program/soffice ] && [ -f "$template" ]; then
  cp "$template" "$scratch/"
  chmod 0644 "$scratch/qm-link-template.ott"
  pipe="qm_check_installed_$$"
  # The office leads a process group of its own, whose number it notes.
  office_cmd=(env HOME="$scratch" setsid sh -c 'echo $$ > "$0"; exec "$@"' "$scratch/office.pid"
              /usr/lib/libreoffice/program/soffice --headless --invisible --norestore --nologo
              --nodefault --nolockcheck "--accept=pipe,name=$pipe;urp;"
              "-env:UserInstallation=file://$scratch/office-profile")
  if [ -n "$as_user" ]; then
    (cd "$scratch" && runuser -u "$as_user" -- "${office_cmd[@]}" >/dev/null 2>&1 &)
  else
    (cd "$scratch" && "${office_cmd[@]}" >/dev/null 2>&1 &)
  fi
  end_office() {
    # A check that failed at once may end before the office noted its number.
    for _ in $(seq 50); do [ -s "$scratch/office.pid" ] && break; sleep 0.1; done
    [ -s "$scratch/office.pid" ] && kill -KILL -- -"$(cat "$scratch/office.pid")" 2>/dev/null
    return 0
  }
  trap 'end_office; rm -rf $scratch $cleanup_prefix' EXIT
  office_run() {
    run env QM_LINK_OFFICE="pipe,name=$pipe" QM_LINK_HIDDEN=1 timeout 120 "$@"
  }
  office_run "$prefix/bin/Load" QMLINKTX42.oxt >"$scratch/load.out" 2>&1 ||
    fail "installed Load QMLINKTX42.oxt failed: $(cat "$scratch/load.out")"
  office_run "$prefix/bin/Load" "$scratch/qm-link-template.ott" >"$scratch/load.out" 2>&1 ||
    fail "installed Load with a Writer template failed: $(cat "$scratch/load.out")"
  office_run "$prefix/bin/addinclean" >"$scratch/clean.out" 2>&1 ||
    fail "installed addinclean failed: $(cat "$scratch/clean.out")"
  end_office
fi
echo "check-installed: $prefix is complete${as_user:+ (programs run as $as_user)}"
