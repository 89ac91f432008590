# Sourced: start_xvfb WIDTHxHEIGHT starts a private X server on the first free
# display number, exports DISPLAY and sets XVFB_PID; it returns 1 when the server
# does not answer.
start_xvfb() {
  local display=90
  while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
  Xvfb ":$display" -screen 0 "$1x24" -nolisten tcp -noreset >/dev/null 2>&1 &
  XVFB_PID=$!
  export DISPLAY=:$display
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
  echo "Xvfb did not start on :$display" >&2
  return 1
}
