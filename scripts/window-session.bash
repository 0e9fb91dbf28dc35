# window-session.bash: sourced (never run) by the scripts that open the
# window against the sample site: scripts/window-run, scripts/run,
# scripts/screenshot-windows and tests/win32/run-window-tests.
#
# Everything started through these functions is ended when the sourcing
# script ends, whatever way it ends (its last line, a failure, Ctrl+C):
# Wine (session_wine), the program, the sample sites, then Xvfb.
#
#   session_display [N]          Xvfb on display N, or on a free one; exports DISPLAY
#   session_site NAME [OPTION..] a sample site on a free port (SESSION_SITE_PORT
#                                when set); its host in session_host
#   session_hosts HOST           points the window at HOST (the three QUORLA_*_HOST)
#   session_wine PREFIX          Wine in PREFIX (made by scripts/wine-prefix) with
#                                the Chinese locale; ended with the session
#   session_start COMMAND [ARG..] COMMAND in the background, output in
#                                program.log; its process in session_pid
#   session_window NAME          waits for a visible window named NAME; its id in
#                                session_window
#   session_ended PID SECONDS    true once PID has ended, false if still running
#   session_reap PID             the exit code of PID, which has ended, in
#                                session_code (PID is then no longer the session's)
#   session_fail MESSAGE         names the failure and the logs, then exits 1
#
# session_work is a folder of the session's own (removed at the end), and
# SESSION_SITE the sample site program (build/sample_site/quorla-sample-site).

session_top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
session_name=$(basename "$0")
SESSION_SITE=${SESSION_SITE:-$session_top/build/sample_site/quorla-sample-site}
session_work=$(mktemp -d)
session_pids=()
session_wine_prefix=
session_host=
session_pid=
session_code=
session_window=

# Ends one process: TERM, up to 5 seconds, then KILL.
session_stop() {
  local pid=$1
  kill "$pid" 2>/dev/null || return 0
  session_ended "$pid" 5 || kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

session_end() {
  local i
  trap - INT TERM
  # Wine first: its programs go with its server; then the rest, the last
  # started first (the program, the sites, the display).
  if [ -n "$session_wine_prefix" ]; then
    WINEPREFIX=$session_wine_prefix wineserver -k >/dev/null 2>&1 || true
    WINEPREFIX=$session_wine_prefix timeout 10 wineserver -w >/dev/null 2>&1 || true
  fi
  for ((i = ${#session_pids[@]} - 1; i >= 0; i--)); do session_stop "${session_pids[i]}"; done
  rm -rf "$session_work"
}
trap session_end EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

session_fail() {
  local log
  echo "$session_name: $*" >&2
  for log in "$session_work"/*.log; do
    [ -s "$log" ] && { echo "--- $(basename "$log")" >&2; cat "$log" >&2; }
  done
  exit 1
}

session_ended() {  # session_ended PID SECONDS
  local pid=$1 tenths=$(($2 * 10))
  while kill -0 "$pid" 2>/dev/null; do
    [ "$tenths" -gt 0 ] || return 1
    sleep 0.1
    tenths=$((tenths - 1))
  done
}

session_reap() {  # session_reap PID
  local pid=$1 kept=() p
  session_code=0
  wait "$pid" || session_code=$?
  for p in "${session_pids[@]}"; do [ "$p" = "$pid" ] || kept+=("$p"); done
  session_pids=("${kept[@]}")
}

session_display() {  # session_display [N]
  # -displayfd names the display once Xvfb takes connections (the free one
  # it chose when none is given).
  Xvfb ${1:+":$1"} -displayfd 3 -screen 0 1024x768x24 -nolisten tcp \
    3>"$session_work/display" 2>"$session_work/xvfb.log" &
  session_pids+=($!)
  local _
  for _ in $(seq 50); do [ -s "$session_work/display" ] && break; sleep 0.1; done
  [ -s "$session_work/display" ] || session_fail "Xvfb did not start"
  export DISPLAY=:$(cat "$session_work/display")
}

session_site() {  # session_site NAME [OPTION...]
  local name=$1 _
  shift
  [ -x "$SESSION_SITE" ] || session_fail "no sample site program at $SESSION_SITE (scripts/prepare builds it)"
  "$SESSION_SITE" "$@" "${SESSION_SITE_PORT:-0}" >"$session_work/$name.out" 2>"$session_work/$name.log" &
  session_pids+=($!)
  for _ in $(seq 50); do grep -q listening "$session_work/$name.out" && break; sleep 0.1; done
  session_host=$(grep -o '127\.0\.0\.1:[0-9]*' "$session_work/$name.out") ||
    session_fail "the sample site ($name) did not start"
}

session_hosts() {  # session_hosts HOST
  export QUORLA_SITE_HOST=$1 QUORLA_SEARCH_HOST=$1 QUORLA_STREAM_HOST=$1
}

session_wine() {  # session_wine PREFIX
  export WINEPREFIX=$1
  "$session_top/scripts/wine-prefix" "$WINEPREFIX"
  export LC_ALL=zh_CN.UTF-8 WINEDEBUG=${WINEDEBUG:--all}
  # A Wine left running in the prefix had another display: its desktop
  # would be taken over instead of a new one made.
  wineserver -k >/dev/null 2>&1 || true
  session_wine_prefix=$WINEPREFIX
}

session_start() {  # session_start COMMAND [ARGUMENT...]
  # Never through a pipe: Wine's service processes would keep it open.
  "$@" >"$session_work/program.log" 2>&1 &
  session_pid=$!
  session_pids+=("$session_pid")
}

session_window() {  # session_window NAME
  session_window=$(timeout 30 xdotool search --sync --onlyvisible --name "$1" | head -1) || true
  [ -n "$session_window" ] || session_fail "no window named $1 appeared"
}
