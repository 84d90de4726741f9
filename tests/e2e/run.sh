#!/usr/bin/env bash
# Runs an end-to-end script against the real game: a session bus and the
# accessibility bus of its own (the display comes from xvfb-run around ctest).
#   run.sh SCRIPT GAME-BINARY [ARGS...]
set -euo pipefail
if [ -z "${DISPLAY:-}" ]; then
  echo "нужен дисплей (xvfb-run)"
  exit 77
fi
script=$1
shift
# The virtual display may still be coming up when the first client connects.
for _ in $(seq 50); do
  xdotool getdisplaygeometry >/dev/null 2>&1 && break
  sleep 0.2
done
eval "$(dbus-launch --sh-syntax)"
trap 'kill "$DBUS_SESSION_BUS_PID" 2>/dev/null || true' EXIT
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
sleep 0.5
exec /usr/bin/python3 "$script" "$@"
