#!/bin/sh
# Opens a window from the main menu as a screen-reader user meets it: under Xvfb with an
# accessibility bus, presses the menu button of the given caption and prints every
# control of the program with the name it is spoken by, then the count of controls
# without one (exit 1 when there is such a control).
#   scripts/a11y-check.sh "Dbx Extract" [build/default/bin/mailvane [program args...]]
# Needs xvfb, at-spi2-core, dbus and python3-pyatspi (Debian packages).
set -eu
if [ -z "${MAILVANE_A11Y_BUS:-}" ]; then
  MAILVANE_A11Y_BUS=1 exec dbus-run-session -- "$0" "$@"
fi
caption=${1:?menu button caption}
bin=${2:-build/default/bin/mailvane}
shift; [ $# -gt 0 ] && shift
home=$(mktemp -d)
app=0 xvfb=0
trap 'kill $app $xvfb 2>/dev/null; rm -rf "$home"' EXIT
export HOME="$home" XDG_CONFIG_HOME="$home/.config" QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
       QTWEBENGINE_DISABLE_SANDBOX=1
display=:$((50 + $$ % 40))
Xvfb "$display" -screen 0 1280x900x24 >/dev/null 2>&1 & xvfb=$!
sleep 2
export DISPLAY="$display"
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
sleep 2
"$bin" "$@" >"$home/app.log" 2>&1 & app=$!
sleep 6
timeout 120 /usr/bin/python3 "$(dirname "$0")/a11y-walk.py" "$caption"
