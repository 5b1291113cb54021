#!/usr/bin/env bash
# Starts both window programs under Xvfb, with settings of their own, and
# saves screenshots into a folder (build/screenshots unless one is given).
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-build/screenshots}")
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target Tarvelin Quorvash
mkdir -p "$out"
home=$(mktemp -d)
server=""
trap '[ -n "$server" ] && kill "$server"; rm -rf "$home"' EXIT
export XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" OUT="$out"

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
  printf '[Settings]\nsponsor%%20host=127.0.0.1:%s\n' "$(cat "$home/port")" \
    >"$XDG_CONFIG_HOME/Ombrel software/$program.conf"
done

xvfb-run -a -s "-screen 0 1100x1000x24" bash -euo pipefail -c '
  # Starts a program, waits for its window, runs the shots, ends the program.
  shoot() {
    local program=$1; shift
    "build/bin/$program" & local pid=$!
    local window
    window=$(xdotool search --sync --onlyvisible --name "^$program\$" | head -1)
    xdotool windowfocus --sync "$window"
    sleep 3  # the sponsor panel loads its page
    import -window root "$OUT/${program,,}-main.png"
    for step in "$@"; do
      if [ "${step%%=*}" = up-button ]; then
        # "&Up" shares its mnemonic with "&URL address:", so it is clicked:
        # its centre lies this far from the window'"'"'s lower right corner.
        eval "$(xdotool getwindowgeometry --shell "$window")"
        xdotool mousemove --window "$window" $((WIDTH - 37)) $((HEIGHT - 49)) click 1
      else
        xdotool key --clearmodifiers ${step%%=*}
      fi
      sleep 0.7
      import -window root "$OUT/${program,,}-${step#*=}.png"
    done
    kill "$pid"
    wait "$pid" 2>/dev/null || true
  }
  shoot Tarvelin "up-button=enlarged" "alt+w=restored" "alt+e=setting-menu" "Return=settings"
  shoot Quorvash "alt+e=setting-menu" "Down Return=browser-button"
'
echo "screenshots in $out"
ls "$out"
