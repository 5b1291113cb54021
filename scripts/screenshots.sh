#!/usr/bin/env bash
# Starts both window programs under Xvfb, with settings of their own, during a
# run against a slow picture site served here on loopback, and saves
# screenshots into a folder (build/screenshots unless one is given): the main
# window while thumbnails arrive, at its nominal size and maximised, the
# enlarged list, the full-screen viewer, the Setting menu and sheet. For the
# last two shots openbox manages the window, so that it can be maximised as on
# a desktop.
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-build/screenshots}")
port=${SCREENSHOT_PORT:-18471}
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target Tarvelin Quorvash
mkdir -p "$out"
home=$(mktemp -d)
site_pid=""
server=""
cleanup() {
  if [ -n "$server" ]; then
    kill "$server" 2>/dev/null || true
    wait "$server" 2>/dev/null || true
  fi
  if [ -n "$site_pid" ]; then
    kill "$site_pid" 2>/dev/null || true
    wait "$site_pid" 2>/dev/null || true
  fi
  rm -rf "$home"
}
trap cleanup EXIT

# Forty pictures of plasma clouds in the colours of a few scenes.
mkdir -p "$home/site/pics"
colours=(orange-navy skyblue-seagreen gold-firebrick lavender-teal wheat-sienna pink-purple)
for i in $(seq -w 1 40); do
  c=${colours[$((10#$i % ${#colours[@]}))]}
  convert -seed "$i" -size "$((300 + 10#$i * 7))x$((220 + 10#$i * 3))" "plasma:$c" \
    -quality 85 "$home/site/pics/scene-$i.jpg"
done
python3 scripts/screenshot_site.py "$home/site" "$port" &
site_pid=$!
for _ in $(seq 100); do
  (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break
  sleep 0.1
done

export XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" OUT="$out" PROJECTS="$home/projects"
# Quorvash asks the stand-in search service; projects go to a folder of their own.
mkdir -p "$XDG_CONFIG_HOME/Ombrel software" "$PROJECTS"
printf '[Settings]\nsearch host=127.0.0.1:%s\n' "$port" >"$XDG_CONFIG_HOME/Ombrel software/Quorvash.conf"
cp build/bin/Tarvelin build/bin/Quorvash "$PROJECTS/"
# The sponsor panel's web view is loaded from beside the program, as installed.
mkdir -p "$home/lib" && cp -r build/lib/picture-fetchers "$home/lib/"

# The sponsor panels show a page of a loopback server rather than going out.
mkdir -p "$home/site" "$XDG_CONFIG_HOME/Ombrel software"
for program in Tarvelin Quorvash; do
  printf '<body style="margin:0;padding:4px 8px;background:#fff3c4;font:13px sans-serif">
<b>Sponsor page</b> of %s, served on loopback. <a href="http://127.0.0.1:9/">A sponsor link</a>
</body>\n' "$program" >"$home/site/p-net-$program.asp"
done
python3 -c '
import functools, http.server, sys
handler = http.server.SimpleHTTPRequestHandler
handler.extensions_map[".asp"] = "text/html"
server = http.server.HTTPServer(("127.0.0.1", 0), functools.partial(handler, directory=sys.argv[1]))
print(server.server_port, flush=True)
server.serve_forever()' "$home/site" >"$home/port" 2>/dev/null &
server=$!
for _ in $(seq 50); do [ -s "$home/port" ] && break; sleep 0.1; done
for program in Tarvelin Quorvash; do
  conf="$XDG_CONFIG_HOME/Ombrel software/$program.conf"
  [ -f "$conf" ] || printf '[Settings]\n' >"$conf"
  printf 'sponsor%%20host=127.0.0.1:%s\n' "$(cat "$home/port")" >>"$conf"
done

shots='
  # Sets window to the main window of process $1, program $2. The title shows
  # the progress of a run after the name. A search that meets a window as it
  # goes away fails, and is made again.
  find_window() {
    for _ in $(seq 300); do
      window=$(xdotool search --onlyvisible --pid "$1" --name "^$2( .*)?\$" 2>/dev/null | head -1) || true
      [ -n "$window" ] && return
      sleep 0.1
    done
    echo "no window of $2" >&2
    return 1
  }
  # Starts a program, waits for its window, runs the shots, ends the program.
  # A step is KEYS=NAME, up-button=NAME (the enlarge button), viewer=NAME (a
  # double click on the list, which must show the enlarged list), menu=NAME
  # (a right click), maximise=NAME (through the window manager), or
  # wait=SECONDS.
  shoot() {
    local program=$1 arguments=$2; shift 2
    # shellcheck disable=SC2086
    "$PROJECTS/$program" $arguments & local pid=$!
    local window
    find_window "$pid" "$program"
    xdotool windowfocus --sync "$window"
    sleep 0.5
    for step in "$@"; do
      local what=${step%%=*} name=${step#*=}
      # Found again at each step: with an OpenGL renderer (QT_QUICK_BACKEND) Qt
      # makes the window anew when the web view of the sponsor panel arrives.
      find_window "$pid" "$program"
      eval "$(xdotool getwindowgeometry --shell "$window")"
      case $what in
        wait) sleep "$name"; continue ;;
        # "&Up" shares its mnemonic with "&URL address:", so it is clicked:
        # its centre lies this far from the window'"'"'s lower right corner.
        up-button) xdotool mousemove --window "$window" $((WIDTH - 37)) $((HEIGHT - 49)) click 1 ;;
        viewer) xdotool mousemove --window "$window" 120 140 click --repeat 2 --delay 80 1 ;;
        menu) xdotool mousemove 550 500 click 3 ;;
        maximise) wmctrl -i -r "$window" -b add,maximized_vert,maximized_horz ;;
        shot) ;;
        *) xdotool key --clearmodifiers $what ;;
      esac
      sleep 0.8
      import -window root "$OUT/${program,,}-$name.png"
    done
    kill "$pid"
    wait "$pid" 2>/dev/null || true
  }
  if [ "${1:-}" = managed ]; then
    # A project of its own (another host name for loopback), so that no
    # resume question comes.
    openbox >/dev/null 2>&1 & wm=$!
    for _ in $(seq 100); do wmctrl -m >/dev/null 2>&1 && break; sleep 0.1; done
    shoot Tarvelin "http://localhost:'"$port"'/gallery/" "wait=7" "shot=managed" "maximise=maximised"
    kill "$wm" 2>/dev/null || true
    exit 0
  fi
  shoot Tarvelin "http://127.0.0.1:'"$port"'/gallery/" "wait=7" "shot=main" "up-button=enlarged" \
    "viewer=viewer" "Escape=back" "up-button=restored"
  shoot Tarvelin "" "alt+e=setting-menu" "Return=settings"
  shoot Quorvash "" "Return=started" "wait=7" "shot=main" "up-button=enlarged" "viewer=viewer" \
    "menu=viewer-menu" "Escape Escape=back"
  shoot Quorvash "" "alt+e=setting-menu" "Down Return=browser-button"
'
# Without a window manager, as the keys and clicks above expect; then, in a
# session of its own, managed by openbox: at the nominal size and maximised.
xvfb-run -a -s "-screen 0 1100x1000x24" bash -euo pipefail -c "$shots" shots
xvfb-run -a -s "-screen 0 1100x1000x24" bash -euo pipefail -c "$shots" shots managed
echo "screenshots in $out"
ls "$out"
