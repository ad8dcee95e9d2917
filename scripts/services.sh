# SPDX-License-Identifier: GPL-3.0-or-later
# Starts and stops the services Kinolith's tests (and, without a desktop, the application) need:
# Xvfb, a D-Bus session bus, PipeWire and WirePlumber, all private to this shell.
# Source it; services_stop stops exactly what services_start_* started.

_service_pids=()
_service_runtime_dir=""

services_private_runtime_dir() {
  _service_runtime_dir=$(mktemp -d /tmp/kinolith-runtime.XXXXXX)
  chmod 700 "$_service_runtime_dir"
  export XDG_RUNTIME_DIR="$_service_runtime_dir"
}

# Starts Xvfb on a free display number and exports DISPLAY.
services_start_xvfb() {
  local fd_file="$XDG_RUNTIME_DIR/xvfb-display"
  Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp -noreset +extension COMPOSITE \
    3>"$fd_file" >"$XDG_RUNTIME_DIR/xvfb.log" 2>&1 &
  _service_pids+=($!)
  local i
  for i in $(seq 100); do
    [ -s "$fd_file" ] && break
    sleep 0.1
  done
  [ -s "$fd_file" ] || { echo "services: Xvfb did not start" >&2; cat "$XDG_RUNTIME_DIR/xvfb.log" >&2; return 1; }
  export DISPLAY=":$(head -n1 "$fd_file")"
}

# Starts a D-Bus session bus, PipeWire and WirePlumber, and waits until PipeWire answers.
services_start_pipewire() {
  local bus="$XDG_RUNTIME_DIR/bus"
  dbus-daemon --session --nofork --nopidfile --address="unix:path=$bus" \
    >"$XDG_RUNTIME_DIR/dbus.log" 2>&1 &
  _service_pids+=($!)
  export DBUS_SESSION_BUS_ADDRESS="unix:path=$bus"
  pipewire >"$XDG_RUNTIME_DIR/pipewire.log" 2>&1 &
  _service_pids+=($!)
  local i
  for i in $(seq 100); do
    pw-cli info 0 >/dev/null 2>&1 && break
    sleep 0.1
  done
  pw-cli info 0 >/dev/null 2>&1 || { echo "services: PipeWire did not start" >&2; cat "$XDG_RUNTIME_DIR/pipewire.log" >&2; return 1; }
  wireplumber >"$XDG_RUNTIME_DIR/wireplumber.log" 2>&1 &
  _service_pids+=($!)
  for i in $(seq 100); do
    pw-cli ls Client 2>/dev/null | grep -q wireplumber && break
    sleep 0.1
  done
}

services_stop() {
  local pid
  for ((i = ${#_service_pids[@]} - 1; i >= 0; i--)); do
    pid=${_service_pids[i]}
    kill "$pid" 2>/dev/null || true
  done
  for pid in "${_service_pids[@]}"; do
    wait "$pid" 2>/dev/null || true
  done
  _service_pids=()
  if [ -n "$_service_runtime_dir" ]; then
    rm -rf "$_service_runtime_dir"
    _service_runtime_dir=""
  fi
}
