# Sourced by the desktop checks, with $tmp (the check's folder) and $label (what
# its lines name) set: the verdicts, a home of the check's own where the chime
# keeps its settings, and the chime's window, place and end.
failed=0
fail() { echo "FAIL $label: $*"; failed=1; }
# Where the check is, for a run that is stopped from outside.
step() { echo "$(basename "$0" .sh) $label: $*"; }
expect() { [ "$2" = "$3" ] || fail "$1: got '$2', want '$3'"; }
# Arguments: a condition, how many tenths of a second it may take (100).
until_true() { for _ in $(seq "${2:-100}"); do eval "$1" && return 0; sleep 0.1; done; return 1; }

# The desktop keeps its settings under this home, never the user's; the chime
# its own in a folder of the check's, not beside the build's program.
export HOME=$tmp/home XDG_CONFIG_HOME=$tmp/home/.config XDG_CACHE_HOME=$tmp/home/.cache XDG_DATA_HOME=$tmp/home/.local/share
export SDL_AUDIODRIVER=dummy
mkdir -p "$XDG_CONFIG_HOME/korvessa/chimora" "$HOME/pictures"
printf '[DATA]\nPATH=%s\n' "$tmp/data" >"$XDG_CONFIG_HOME/korvessa/chimora/registry.ini"
settings() { tr -d '\r' <"$tmp/data/application.ini"; }
# Arguments: when, then the lines the settings hold.
expect_stored() {
  local when=$1 want stored
  shift
  stored=$(settings)
  for want in "$@"; do grep -qx "$want" <<<"$stored" || fail "settings lack $want$when: $(tr '\n' ' ' <<<"$stored")"; done
}

chime_window() { xdotool search --onlyvisible --name '^FmChimora$' 2>/dev/null | head -1; }
geometry() { xdotool getwindowgeometry --shell "$1" 2>/dev/null | grep -E '^(X|Y|WIDTH|HEIGHT)=' | cut -d= -f2 | tr '\n' ' ' | sed 's/ $//'; }
stop_chime() {
  kill -TERM "$chime"
  until_true '! kill -0 "$chime" 2>/dev/null' || { kill -KILL "$chime"; fail "the chime did not end within 10 s of SIGTERM"; }
  wait "$chime"
  expect "exit status after SIGTERM" $? 0
  chime=
}
