# Shared by scripts/test-env and scripts/run-tavlen (source it, don't run it): starts a private X desktop and
# session services, waits for each by polling, and stops them again.
#
# Every process started here is a direct child of the sourcing shell and is recorded in desktop_pids;
# desktop_stop ends them by pid, newest first. Children must never be started inside $(...): they would
# belong to a subshell that cannot wait for them.

desktop_pids=()
desktop_dir=""        # private temporary directory (logs, fifos, and for test-env the private home)
desktop_name=${desktop_name:-desktop}

desktop_say() { echo "$desktop_name: $*" >&2; }

# Microseconds on the wall clock, from bash 5's EPOCHREALTIME.
desktop_now_us() { local t=${EPOCHREALTIME/./}; echo $((10#$t)); }

# True while PID runs; a zombie counts as gone (PID 1 may never reap daemons that outlived their parent).
desktop_alive() {
  local stat
  read -r stat 2>/dev/null <"/proc/$1/stat" || return 1
  stat=${stat##*) }
  case ${stat%% *} in Z|X|x) return 1 ;; esac
  return 0
}

# desktop_poll TIMEOUT_MS WHAT CMD...: runs CMD every 10 ms until it succeeds; says WHAT timed out otherwise.
desktop_poll() {
  local timeout_ms=$1 what=$2
  shift 2
  local deadline=$(( $(desktop_now_us) + timeout_ms * 1000 ))
  until "$@" >/dev/null 2>&1; do
    if (( $(desktop_now_us) > deadline )); then
      desktop_say "timed out after ${timeout_ms} ms waiting for $what"
      return 1
    fi
    sleep 0.01
  done
}

# Creates the private directory; a second call is a no-op.
desktop_make_dir() {
  [ -n "$desktop_dir" ] && return 0
  desktop_dir=$(mktemp -d "${TMPDIR:-/tmp}/tavlen-env.XXXXXX") || { desktop_say "cannot create a temporary directory"; return 1; }
  chmod 700 "$desktop_dir"
}

desktop_show_log() {
  [ -s "$desktop_dir/$1" ] && sed "s/^/  $1: /" "$desktop_dir/$1" >&2
  return 0
}

# Xvfb picks a free display itself (-displayfd) and writes its number once it accepts clients.
# One 3432x1080 screen split into two RandR monitors: LEFT 1512x982 at 0,0 (primary) and RIGHT 1920x1080 at 1512,0.
# -noreset keeps the monitors when the last client disconnects.
desktop_start_xvfb() {
  desktop_make_dir || return 1
  local fifo="$desktop_dir/displayfd" number=""
  mkfifo "$fifo" || return 1
  # In a session of its own: Ctrl-C in the terminal reaches the command, which then stops with its display
  # still there, and the display goes after it (Xvfb ends on SIGINT, which a background job does not ignore).
  setsid Xvfb -displayfd 3 -screen 0 3432x1080x24 -nolisten tcp -noreset 3>"$fifo" >"$desktop_dir/xvfb.log" 2>&1 &
  desktop_pids+=($!)
  read -r -t 5 number <"$fifo"
  if [ -z "$number" ]; then
    desktop_say "Xvfb did not start"
    desktop_show_log xvfb.log
    return 1
  fi
  export DISPLAY=":$number"
  if ! xrandr --setmonitor LEFT 1512/400x982/260+0+0 screen \
              --setmonitor RIGHT 1920/508x1080/286+1512+0 none \
              --output screen --primary >"$desktop_dir/xrandr.log" 2>&1; then
    desktop_say "xrandr could not set up the two monitors on $DISPLAY"
    desktop_show_log xrandr.log
    return 1
  fi
}

# The window manager is ready when _NET_SUPPORTING_WM_CHECK names a window whose own property points to itself
# (a stale property can outlive a dead window manager).
desktop_wm_ready() {
  local root child
  root=$(xprop -root -notype _NET_SUPPORTING_WM_CHECK 2>/dev/null) || return 1
  root=${root##*# }
  [[ $root == 0x* ]] || return 1
  child=$(xprop -id "$root" -notype _NET_SUPPORTING_WM_CHECK 2>/dev/null) || return 1
  [ "${child##*# }" = "$root" ]
}

desktop_start_openbox() {
  openbox --sm-disable >"$desktop_dir/openbox.log" 2>&1 &
  desktop_pids+=($!)
}

desktop_wait_openbox() {
  desktop_poll 5000 "the window manager (openbox)" desktop_wm_ready || { desktop_show_log openbox.log; return 1; }
}

# A private session bus; its address arrives on a fifo once it listens.
desktop_start_bus() {
  desktop_make_dir || return 1
  local fifo="$desktop_dir/busaddress" address=""
  mkfifo "$fifo" || return 1
  dbus-daemon --session --nofork --nopidfile --nosyslog --print-address=3 3>"$fifo" >"$desktop_dir/dbus.log" 2>&1 &
  desktop_pids+=($!)
  read -r -t 5 address <"$fifo"
  if [ -z "$address" ]; then
    desktop_say "the D-Bus session bus did not start"
    desktop_show_log dbus.log
    return 1
  fi
  export DBUS_SESSION_BUS_ADDRESS="$address"
}

# NameHasOwner never starts a service, unlike calling the name directly (which would activate a second copy).
desktop_bus_has_name() {
  dbus-send --session --print-reply=literal --dest=org.freedesktop.DBus / \
    org.freedesktop.DBus.NameHasOwner "string:$1" 2>/dev/null | grep -q true
}

# gnome-keyring with only the secret service, its login keyring unlocked with a throwaway password.
# Started before anything could make D-Bus auto-start a locked one (a second daemon cannot take the name).
desktop_start_keyring() {
  printf '%s' pw >"$desktop_dir/keyring-password"
  gnome-keyring-daemon --foreground --unlock --components=secrets \
    <"$desktop_dir/keyring-password" >"$desktop_dir/keyring.log" 2>&1 &
  desktop_pids+=($!)
}

# A keyring of this desktop only, for when the session has no secret service at all: unlocked with a random
# password and kept in the desktop's temporary folder, so its items go when the desktop stops.
desktop_start_private_keyring() {
  desktop_make_dir || return 1
  mkdir -p "$desktop_dir/keyring-data"
  head -c 24 /dev/urandom | base64 >"$desktop_dir/keyring-password"
  XDG_DATA_HOME="$desktop_dir/keyring-data" gnome-keyring-daemon --foreground --unlock --components=secrets \
    <"$desktop_dir/keyring-password" >"$desktop_dir/keyring.log" 2>&1 &
  desktop_pids+=($!)
}

# True when the session bus has a secret service running or can start one.
desktop_secret_service_available() {
  desktop_bus_has_name org.freedesktop.secrets && return 0
  dbus-send --session --print-reply=literal --dest=org.freedesktop.DBus / \
    org.freedesktop.DBus.ListActivatableNames 2>/dev/null | grep -qw org.freedesktop.secrets
}

desktop_wait_keyring() {
  desktop_poll 5000 "the secret service (org.freedesktop.secrets)" desktop_bus_has_name org.freedesktop.secrets \
    || { desktop_show_log keyring.log; return 1; }
}

# The accessibility bus. Its address is never exported (AT_SPI_BUS_ADDRESS): Qt then connects but never
# registers its windows; applications ask org.a11y.Bus instead.
desktop_start_atspi() {
  /usr/libexec/at-spi-bus-launcher --launch-immediately >"$desktop_dir/atspi.log" 2>&1 &
  desktop_pids+=($!)
}

desktop_atspi_address() {
  dbus-send --session --print-reply=literal --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
    2>/dev/null | grep -q unix:
}

desktop_wait_atspi() {
  if ! desktop_poll 5000 "the accessibility bus (org.a11y.Bus)" desktop_bus_has_name org.a11y.Bus ||
     ! desktop_poll 5000 "the accessibility bus address" desktop_atspi_address; then
    desktop_show_log atspi.log
    return 1
  fi
  # Without --print-reply the property did not stick.
  if ! dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.freedesktop.DBus.Properties.Set \
         string:org.a11y.Status string:IsEnabled variant:boolean:true >/dev/null 2>&1; then
    desktop_say "could not enable accessibility (org.a11y.Status IsEnabled)"
    return 1
  fi
}

# Processes started by a child of ours (bus activation, launcher helpers, anything a test left running) carry
# TAVLEN_DESKTOP_ID in the environment they were started with; /proc/PID/environ shows that start environment,
# so the shell that exported the variable is never among them.
desktop_strays() {
  [ -n "${TAVLEN_DESKTOP_ID:-}" ] || return 0
  local file pid
  for file in $(grep -lzx "TAVLEN_DESKTOP_ID=$TAVLEN_DESKTOP_ID" /proc/[0-9]*/environ 2>/dev/null); do
    pid=${file#/proc/}
    pid=${pid%/environ}
    [ "$pid" != $$ ] && [ "$pid" != "$BASHPID" ] && desktop_alive "$pid" && echo "$pid"
  done
}

# desktop_end PID...: TERM, up to 1 s to go, then KILL.
desktop_end() {
  local pid deadline
  for pid in "$@"; do
    desktop_alive "$pid" || continue
    kill -TERM "$pid" 2>/dev/null
    deadline=$(( $(desktop_now_us) + 1000000 ))
    while desktop_alive "$pid" && (( $(desktop_now_us) < deadline )); do sleep 0.005; done
    desktop_alive "$pid" && kill -KILL "$pid" 2>/dev/null
  done
  return 0
}

# Stops everything desktop_start_* started, newest first. Their own children go first, while the parents
# can still reap them (an orphan killed later stays a zombie); last, anything that appeared meanwhile.
desktop_stop() {
  local i pid tracked=" ${desktop_pids[*]} "
  for pid in $(desktop_strays | sort -rn); do
    [[ $tracked == *" $pid "* ]] || desktop_end "$pid"
  done
  for (( i=${#desktop_pids[@]}-1; i>=0; i-- )); do
    desktop_end "${desktop_pids[i]}"
    wait "${desktop_pids[i]}" 2>/dev/null
  done
  desktop_pids=()
  # shellcheck disable=SC2046
  desktop_end $(desktop_strays | sort -rn)
  if [ -n "$desktop_dir" ]; then
    rm -rf "$desktop_dir"
    desktop_dir=""
  fi
  return 0
}

# desktop_run COMMAND...: runs COMMAND until it exits and sets desktop_status to its exit code. It runs in the
# background so that a signal reaches our traps at once: the first INT/TERM/HUP passes TERM on (background
# commands ignore SIGINT in a non-interactive shell), a second one KILL. Call desktop_trap_signals first.
desktop_command_pid=""
desktop_signals=0
desktop_status=0

desktop_on_signal() {
  desktop_signals=$((desktop_signals + 1))
  if [ -z "$desktop_command_pid" ]; then
    exit 130
  elif (( desktop_signals > 1 )); then
    kill -KILL "$desktop_command_pid" 2>/dev/null
  else
    kill -TERM "$desktop_command_pid" 2>/dev/null
  fi
}

desktop_trap_signals() {
  trap desktop_stop EXIT
  trap desktop_on_signal INT TERM HUP
}

desktop_run() {
  # Keep our stdin for the command (a background command would get /dev/null), unless there is none.
  if { : <&0; } 2>/dev/null; then
    "$@" <&0 &
  else
    "$@" </dev/null &
  fi
  desktop_command_pid=$!
  while :; do
    wait "$desktop_command_pid"
    desktop_status=$?
    # wait also returns when a trapped signal arrives; the command is then still there (running or unreaped).
    [ -e "/proc/$desktop_command_pid" ] || break
  done
  desktop_command_pid=""
}
