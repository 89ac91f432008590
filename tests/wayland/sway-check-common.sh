# Sourced by the sway checks, with check_name set: a temporary home and data
# folder, the settings file, the probe's coprocess, the helpers, and a cleanup
# that ends the chime, the probe and the sways it started (sway_pid, parent_pid).
tmp=$(mktemp -d)
chmod 755 "$tmp"
parent_pid= sway_pid= chime= PROBE_PID=
cleanup() {
  [ -n "$chime" ] && kill -9 "$chime" 2>/dev/null
  [ -n "$PROBE_PID" ] && kill "$PROBE_PID" 2>/dev/null
  [ -n "$sway_pid" ] && stop_sway "$sway_pid" && wait "$sway_pid"
  [ -n "$parent_pid" ] && stop_sway "$parent_pid"
  wait 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT
failed=0
fail() { echo "FAIL $check_name: $*"; failed=1; }
expect() { [ "$2" = "$3" ] || fail "$1: got '$2', want '$3'"; }
near() { [ $(($2 - $3)) -le 6 ] && [ $(($3 - $2)) -le 6 ] || fail "$1: got $2, want $3 (within 6)"; }
until_true() { for _ in $(seq 100); do eval "$1" && return 0; sleep 0.1; done; return 1; }

source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/sway-headless.sh"
export XDG_RUNTIME_DIR=$tmp/runtime SDL_AUDIODRIVER=dummy
mkdir -m 700 "$XDG_RUNTIME_DIR"
export HOME=$tmp/home XDG_CONFIG_HOME=$tmp/home/.config
mkdir -p "$XDG_CONFIG_HOME/korvessa/chimora" "$tmp/data"
printf '[DATA]\nPATH=%s\n' "$tmp/data" >"$XDG_CONFIG_HOME/korvessa/chimora/registry.ini"
settings() { tr -d '\r' <"$tmp/data/application.ini"; }
probe() { echo "$*" >&"${PROBE[1]}" && read -r answer <&"${PROBE[0]}" && echo "$answer"; }
# The bar's bottom: where the workspace begins.
work_top() { swaymsg -r -t get_workspaces | tr -d ' \n' | sed -n 's/^\[{.*"rect":{"x":[0-9]*,"y":\([0-9]*\).*/\1/p'; }
# The probe's output into $1 once it has stopped changing.
settled_shot() {
  settled=$1
  probe shot "$settled" >/dev/null
  until_true 'probe shot "$tmp/now" >/dev/null && [ "$(probe diff "$settled" "$tmp/now")" = none ] || { cp "$tmp/now" "$settled"; false; }'
}
