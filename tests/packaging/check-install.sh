#!/usr/bin/env bash
# Installs a build tree into an empty scratch prefix and checks the installation: every file is
# there, the desktop entry and the AppStream file pass their validators, the udev rule names
# only the interfaces the program uses, and the installed program, moved to another folder,
# finds its data from its own location and takes a screenshot.
#
# usage: tests/packaging/check-install.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
scratch=$(mktemp -d /tmp/orlo-install-XXXXXX)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$scratch/stage" >/dev/null
cd "$scratch/stage"

# ---- every file ------------------------------------------------------------------------------
expected=(
  bin/orlo bin/orloctl
  share/tavrin-orlo/DefaultData/Language.config share/tavrin-orlo/DefaultData/mouse.Json
  share/tavrin-orlo/skin/res.xml share/tavrin-orlo/skin/lang/lan_cn.xml share/tavrin-orlo/skin/lang/lan_en.xml
  share/applications/org.tavrin.orlo.desktop
  share/metainfo/org.tavrin.orlo.metainfo.xml
  share/icons/hicolor/scalable/apps/org.tavrin.orlo.svg
  share/icons/hicolor/48x48/apps/org.tavrin.orlo.png
  share/icons/hicolor/128x128/apps/org.tavrin.orlo.png
  share/man/man1/orloctl.1.gz
  lib/udev/rules.d/70-tavrin-orlo.rules
  lib/systemd/user/tavrin-orlo.service
)
[ -x "$build/orlo-audio" ] && expected+=(bin/orlo-audio)
[ -x "$build/orlo-updater" ] && expected+=(bin/orlo-updater)
for f in "${expected[@]}"; do
  [ -s "$f" ] || fail "not installed: $f"
done
for f in bin/orlo bin/orloctl; do [ -x "$f" ] || fail "not executable: $f"; done
[ ! -e share/tavrin-orlo/skin/art ] || fail "the image drawing script was installed"
echo "installed: ${#expected[@]} files checked"

# The PNG icons have the size of their folder (width and height are bytes 16..23 of the file).
for size in 48 128; do
  dims=$(od -An -tu1 -j16 -N8 "share/icons/hicolor/${size}x${size}/apps/org.tavrin.orlo.png" | tr -s ' ')
  [ "$dims" = " 0 0 0 $size 0 0 0 $size" ] || fail "${size}x${size} icon has the bytes '$dims'"
done

# ---- validators ------------------------------------------------------------------------------
desktop-file-validate share/applications/org.tavrin.orlo.desktop
grep -qx 'Icon=org.tavrin.orlo' share/applications/org.tavrin.orlo.desktop || fail "desktop entry names another icon"
appstreamcli validate --no-net share/metainfo/org.tavrin.orlo.metainfo.xml >"$scratch/appstream.txt" ||
  { cat "$scratch/appstream.txt" >&2; fail "appstreamcli validate"; }
gzip -t share/man/man1/orloctl.1.gz
zcat share/man/man1/orloctl.1.gz | grep -q '^\.TH ORLOCTL 1' || fail "manual page has no title line"
zcat share/man/man1/orloctl.1.gz | grep -q 'udev\\-rule' || fail "manual page misses the commands"

# The user unit starts the installed program without a window.
grep -qxF "ExecStart=$scratch/stage/bin/orlo --no-window" lib/systemd/user/tavrin-orlo.service ||
  fail "the user unit starts another program: $(grep ExecStart lib/systemd/user/tavrin-orlo.service)"
grep -qx 'WantedBy=default.target' lib/systemd/user/tavrin-orlo.service || fail "the user unit is never started"

# ---- the udev rule ---------------------------------------------------------------------------
rule=lib/udev/rules.d/70-tavrin-orlo.rules
pattern='^SUBSYSTEM=="hidraw", ATTRS\{modalias\}=="usb:v([0-9A-F]{4})p([0-9A-F]{4})d\*in([0-9A-F]{2})", TAG\+="uaccess"$'
covered=()
while IFS= read -r line; do
  case "$line" in ''|'#'*) continue ;; esac
  [[ "$line" =~ $pattern ]] || fail "rule line of another form: $line"
  covered+=("${BASH_REMATCH[1]}:${BASH_REMATCH[2]} interface ${BASH_REMATCH[3]}")
done <"$rule"
echo "udev rule covers: $(IFS=,; echo "${covered[*]}" | sed 's/,/, /g')"
# Interface 1 of the wired mouse and of its receiver, nothing else.
[ "$(printf '%s\n' "${covered[@]}")" = $'320F:222E interface 01\n320F:222F interface 01' ] ||
  fail "the rule covers other interfaces than the program uses"
# The software centre matches the same devices.
rule_devices=$(grep -o 'usb:v[0-9A-F]*p[0-9A-F]*' "$rule" | sort -u)
meta_devices=$(grep -o '<modalias>usb:v[0-9A-F]*p[0-9A-F]*d\*</modalias>' share/metainfo/org.tavrin.orlo.metainfo.xml |
  sed 's/<modalias>//; s/d\*<\/modalias>//' | sort -u)
[ "$rule_devices" = "$meta_devices" ] || fail "metainfo provides '$meta_devices', the rule '$rule_devices'"

# ---- the Debian package ----------------------------------------------------------------------
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch/deb" >"$scratch/cpack.txt" 2>&1 ||
  { cat "$scratch/cpack.txt" >&2; fail "cpack"; }
deb=$(ls "$scratch"/deb/tavrin-orlo_*.deb)
listing=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in "${expected[@]}"; do
  grep -qxF "./usr/$f" <<<"$listing" || fail "not in the package: /usr/$f"
done
depends=$(dpkg-deb -f "$deb" Depends)
for d in 'fonts-noto-cjk | fonts-wqy-microhei' 'libqt6widgets6 ' 'libqt6svg6 ' 'libjsoncpp'; do
  [[ "$depends" == *"$d"* ]] || fail "the package does not depend on '$d': $depends"
done
dpkg-deb --ctrl-tarfile "$deb" | tar -xOf - ./postinst | grep -q 'udevadm trigger --subsystem-match=hidraw' ||
  fail "the package's post-install step does not trigger udev"
dpkg-deb --fsys-tarfile "$deb" | tar -xOf - ./usr/lib/systemd/user/tavrin-orlo.service |
  grep -qx 'ExecStart=/usr/bin/orlo --no-window' || fail "the package's user unit starts another program"
echo "package: $(basename "$deb") holds every file; depends on a CJK font and its libraries"

# ---- the installed program, moved elsewhere --------------------------------------------------
cd /
mv "$scratch/stage" "$scratch/moved"
mkdir -m 700 "$scratch/run"
set +e
env -u ORLO_PROGRAM_DIR -u DBUS_SESSION_BUS_ADDRESS -u DISPLAY -u WAYLAND_DISPLAY \
  QT_QPA_PLATFORM=offscreen ORLO_DEBUG_LOG=stderr XDG_RUNTIME_DIR="$scratch/run" \
  XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data" XDG_STATE_HOME="$scratch/state" \
  timeout 60 "$scratch/moved/bin/orlo" --simulate mouse --screenshot "$scratch/shot.png" \
  >"$scratch/out.txt" 2>"$scratch/err.txt"
rc=$?
set -e
[ $rc -eq 0 ] || { tail -20 "$scratch/err.txt" >&2; fail "orlo exited with $rc"; }
grep -qF "program folder: $scratch/moved/share/tavrin-orlo/" "$scratch/err.txt" ||
  { grep 'program folder' "$scratch/err.txt" >&2; fail "the data folder was not found from the executable"; }
[ "$(head -c 8 "$scratch/shot.png" | od -An -tx1 | tr -d ' ')" = 89504e470d0a1a0a ] || fail "no screenshot"
echo "installed orlo, moved to another folder, found its data there and took a screenshot"
