#!/usr/bin/env bash
# The Tarvelin window beside tarvelin-cli on the same sites, served by nginx on
# loopback, in the same run:
#   - the "main" site of bench/make_site.py (about 2,000 pictures on two
#     hosts) and the manual-like site of bench/make_docs_site.py: wall time,
#     CPU time and peak memory of both programs, and the longest time the
#     window's event loop was kept from running; on loopback and through
#     bench/latency_proxy.py;
#   - a site of 10,000 pictures (50 photo-like sources, each served under 200
#     names): the memory the window's list adds from the idle window to
#     10,000 thumbnails;
#   - build/bench/bench_thumbnail_memory: the list alone with 10,000
#     pictures, and scrolling through them from top to bottom, the time until
#     every row on screen shows its thumbnail and is painted;
#   - under Xvfb, bench/window_start_bench.py: start-up to a visible window and
#     idle memory with the web engine's processes.
# Every table names the load average it was taken at (the median of the
# 1-minute figure at the start of each of its runs).
#
#   bash bench/window_bench.sh
#   RUNS=5 bash bench/window_bench.sh
#
# Settings (environment):
#   RUNS          runs of each program on the main site, taking turns (3)
#   RTT           also run both on the main site through bench/latency_proxy.py
#                 at this round-trip time in ms (20); 0 leaves that out
#   MANY          pictures of the large site (10000)
#   SITES         the sites run on loopback and through the proxy ("main docs")
#   DOCS_PAGES    pages of the manual-like site (320)
#   START=0       leaves the start-up runs under Xvfb out; START_RUNS (5)
#   SCROLL=0      leaves bench_thumbnail_memory out
#   XVFB=1        the window on an Xvfb display instead of the offscreen platform
#   BENCH_PORT    the main site's port on 127.0.0.1 and 127.0.0.2 (18431, as in
#                 site_bench.sh, whose main site this reuses); the large site is
#                 served on the next port, the manual-like site on port + 2, and
#                 nginx behind the proxies on port + 5 and port + 6
#   BENCH_OUT     where runs store their files (/dev/shm when it has room)
#   KEEP=1        keep the temporary folder (logs)
#
# Build first: cmake --build build --target bench_window bench_thumbnail_memory tarvelin-cli Tarvelin
# The sites are generated on first use into bench/work/ and kept there.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
top=$(cd "$here/.." && pwd)
CLI=$top/build/bin/tarvelin-cli
WINDOW=$top/build/bench/bench_window
RUNS=${RUNS:-3}
RTT=${RTT:-20}
MANY=${MANY:-10000}
SITES=${SITES:-"main docs"}
DOCS_PAGES=${DOCS_PAGES:-320}
PORT=${BENCH_PORT:-18431}
MANY_PORT=$((PORT + 1))
DOCS_PORT=$((PORT + 2))
INNER=$((PORT + 5))    # nginx behind the latency proxies
DOCS_INNER=$((PORT + 6))
WORK=$here/work
HOST1=127.0.0.1
HOST2=127.0.0.2
LIMIT=600

die() { echo "window_bench: $*" >&2; exit 1; }
bash "$top/scripts/install-deps.sh" --bench >&2 || true
for tool in python3 nginx convert xvfb-run xdotool; do command -v "$tool" >/dev/null || die "$tool is not installed"; done
[ -x /usr/bin/time ] || die "GNU time is not installed"
[ -x "$CLI" ] && [ -x "$WINDOW" ] || die "build first: cmake --build build --target bench_window tarvelin-cli"

tmp=$(mktemp -d "${TMPDIR:-/tmp}/window-bench.XXXXXX")
# shellcheck source=bench/nginx.sh
. "$here/nginx.sh"
proxy_pids=()
outs=
stop_proxies() {
  local pid
  for pid in "${proxy_pids[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  proxy_pids=()
}
cleanup() {
  stop_proxies
  nginx_stop
  [ -z "$outs" ] || rm -rf "$outs"
  if [ "${KEEP:-0}" = 1 ]; then echo "window_bench: kept $tmp" >&2; else rm -rf "$tmp"; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

out_root=${BENCH_OUT:-$tmp}
if [ -z "${BENCH_OUT:-}" ] && [ -w /dev/shm ] &&
   [ "$(df -Pk /dev/shm | awk 'NR == 2 { print $4 }')" -gt 4194304 ]; then
  out_root=/dev/shm
fi
outs=$(mktemp -d "$out_root/window-bench-out.XXXXXX")

# --- sites -------------------------------------------------------------------
main_site=$WORK/site-main
stamp="$(sha256sum "$here/make_site.py" | cut -c1-16) $HOST2:$PORT"
if [ ! -f "$main_site/manifest.json" ] || [ "$(cat "$main_site/stamp" 2>/dev/null)" != "$stamp" ]; then
  echo "window_bench: generating the main site in $main_site (once; about a minute)" >&2
  rm -rf "$main_site"
  python3 "$here/make_site.py" main "$main_site" --other-host "$HOST2:$PORT" >&2
  echo "$stamp" >"$main_site/stamp"
fi
docs_site=$WORK/site-docs-window
stamp="$(cat "$here/make_site.py" "$here/make_docs_site.py" | sha256sum | cut -c1-16) $HOST2:$DOCS_PORT $DOCS_PAGES"
case " $SITES " in *" docs "*)
  if [ ! -f "$docs_site/manifest.json" ] || [ "$(cat "$docs_site/stamp" 2>/dev/null)" != "$stamp" ]; then
    echo "window_bench: generating the manual-like site in $docs_site (once)" >&2
    rm -rf "$docs_site"
    (cd "$here" && python3 make_docs_site.py "$docs_site" --other-host "$HOST2:$DOCS_PORT" --pages "$DOCS_PAGES") >&2
    echo "$stamp" >"$docs_site/stamp"
  fi ;;
esac
many_site=$WORK/site-many-$MANY
if [ ! -f "$many_site/index.htm" ]; then
  echo "window_bench: generating the $MANY-picture site in $many_site (once)" >&2
  rm -rf "$many_site"
  mkdir -p "$many_site/src"
  colours=(orange-navy skyblue-seagreen gold-firebrick lavender-teal wheat-sienna pink-purple)
  for i in $(seq 0 49); do
    convert -seed "$((i + 1))" -size 640x480 "plasma:${colours[$((i % 6))]}" -quality 85 "$many_site/src/$i.jpg"
  done
  python3 - "$many_site" "$MANY" <<'EOF'
import os, sys
site, count = sys.argv[1], int(sys.argv[2])
per_page = 200
pages = (count + per_page - 1) // per_page
links = "".join('<a href="p%03d.htm">%d</a>\n' % (p, p) for p in range(pages))
open(os.path.join(site, "index.htm"), "w").write("<html><body>\n%s</body></html>\n" % links)
for p in range(pages):
    tags = "".join('<img src="/img/s%d-%05d.jpg">\n' % (n % 50, n)
                   for n in range(p * per_page, min(count, (p + 1) * per_page)))
    open(os.path.join(site, "p%03d.htm" % p), "w").write("<html><body>\n%s</body></html>\n" % tags)
EOF
fi

# --- server ------------------------------------------------------------------
conf=$tmp/nginx
for address in $HOST1:$PORT $HOST2:$PORT $HOST1:$MANY_PORT $HOST1:$INNER $HOST2:$INNER \
               $HOST1:$DOCS_PORT $HOST2:$DOCS_PORT $HOST1:$DOCS_INNER $HOST2:$DOCS_INNER; do
  ! listening "${address%:*}" "${address#*:}" || die "something already listens on $address"
done
nginx_start "$conf" '$server_addr $status $uri' "
  server { listen $HOST1:$PORT; listen $HOST1:$INNER; root $main_site/host1; }
  server { listen $HOST2:$PORT; listen $HOST2:$INNER; root $main_site/host2; }
  server { listen $HOST1:$DOCS_PORT; listen $HOST1:$DOCS_INNER; root $docs_site/host1; }
  server { listen $HOST2:$DOCS_PORT; listen $HOST2:$DOCS_INNER; root $docs_site/host2; }
  server {
    listen $HOST1:$MANY_PORT;
    root $many_site;
    location ~ ^/img/s(\\d+)-\\d+\\.jpg\$ { alias $many_site/src/\$1.jpg; }
  }" "$HOST1:$PORT" "$HOST2:$PORT" "$HOST1:$MANY_PORT" "$HOST1:$DOCS_PORT"
find "$main_site" "$many_site" "$docs_site" -type f -exec cat {} + >/dev/null   # read from memory in every run

# The main site through latency proxies: nginx gives up the site's own port to
# them and stays reachable behind them.
start_proxies() {
  local h pair
  for pair in $PORT:$INNER $DOCS_PORT:$DOCS_INNER; do
    for h in $HOST1 $HOST2; do
      rm -f "$tmp/proxy-$h-$pair.pid"
      python3 "$here/latency_proxy.py" --listen "$h:${pair%:*}" --target "$h:${pair#*:}" --rtt-ms "$RTT" \
        --pidfile "$tmp/proxy-$h-$pair.pid" 2>"$tmp/proxy-$h-$pair.log" &
      proxy_pids+=($!)
    done
  done
  for pair in $PORT:$INNER $DOCS_PORT:$DOCS_INNER; do
    for h in $HOST1 $HOST2; do
      for _ in $(seq 100); do
        [ -s "$tmp/proxy-$h-$pair.pid" ] && break
        sleep 0.05
      done
      [ -s "$tmp/proxy-$h-$pair.pid" ] || die "the latency proxy on $h:${pair%:*} did not start: $(cat "$tmp/proxy-$h-$pair.log")"
    done
  done
}

results=$tmp/results.tsv
: >"$results"
load() { cut -d' ' -f1 /proc/loadavg; }
run_one() {  # site program run start-address [--mark N]
  local site=$1 prog=$2 n=$3 start=$4; shift 4
  local out=$outs/$site-$prog-$n home=$tmp/home-$site-$prog-$n log=$tmp/$site-$prog-$n.log status=0
  mkdir -p "$out" "$home"
  local command=("$CLI" --fresh --folder "$out" "$start")
  if [ "$prog" = window ]; then
    command=("$WINDOW" --folder "$out" "$@" "$start")
    if [ "${XVFB:-0}" = 1 ]; then command=(xvfb-run -a -s "-screen 0 1280x1024x24" "${command[@]}"); fi
  fi
  local before
  before=$(load)
  HOME=$home XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data XDG_RUNTIME_DIR=$home XDG_CACHE_HOME=$home/cache \
    QT_QPA_PLATFORM=$([ "${XVFB:-0}" = 1 ] && echo xcb || echo offscreen) \
    /usr/bin/time -f '%e %U %S %M' -o "$tmp/time" timeout "$LIMIT" "${command[@]}" </dev/null >"$log" 2>&1 ||
    status=$?
  local stored
  stored=$(find "$out" -type f \( -name '*.jpg' -o -name '*.png' -o -name '*.gif' -o -name '*.webp' \) | wc -l)
  local figures
  figures=$(grep -o 'wall_ms=.*' "$log" | tail -n 1 || true)
  printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$site" "$prog" "$n" "$status" "$(tail -n 1 "$tmp/time")" "$stored" \
    "$before" "$figures" >>"$results"
  rm -rf "$out"
}
start_of() {  # site
  case $1 in
    main) echo "http://$HOST1:$PORT/index.htm" ;;
    docs) echo "http://$HOST1:$DOCS_PORT/index.htm" ;;
  esac
}

echo "window_bench: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ //')," \
  "load average $(cut -d' ' -f1-3 /proc/loadavg) at the start" >&2
for site in $SITES; do
  for n in $(seq "$RUNS"); do
    for prog in cli window; do
      echo "window_bench: $site site, $prog, run $n of $RUNS" >&2
      run_one "$site" "$prog" "$n" "$(start_of "$site")"
    done
  done
done
if [ "$RTT" != 0 ]; then
  # nginx again, without the sites' own ports, which the proxies take.
  nginx_stop
  sed -i "s/listen $HOST1:$PORT; //; s/listen $HOST2:$PORT; //; s/listen $HOST1:$DOCS_PORT; //; s/listen $HOST2:$DOCS_PORT; //" \
    "$conf/nginx.conf"
  nginx_run "$conf" "$HOST1:$INNER" "$HOST2:$INNER"
  start_proxies
  for site in $SITES; do
    for prog in cli window; do
      echo "window_bench: $site site at $RTT ms, $prog" >&2
      run_one "rtt-$site" "$prog" 1 "$(start_of "$site")"
    done
  done
  stop_proxies
fi
echo "window_bench: the $MANY-picture site, window" >&2
run_one many window 1 "http://$HOST1:$MANY_PORT/index.htm" --mark "$MANY"
echo "window_bench: the $MANY-picture site, cli" >&2
run_one many cli 1 "http://$HOST1:$MANY_PORT/index.htm"

scroll=$tmp/scroll.txt
: >"$scroll"
if [ "${SCROLL:-1}" != 0 ] && [ -x "$top/build/bench/bench_thumbnail_memory" ]; then
  echo "window_bench: bench_thumbnail_memory $MANY" >&2
  echo "load average $(load) at the start" >"$scroll"
  QT_QPA_PLATFORM=offscreen "$top/build/bench/bench_thumbnail_memory" "$MANY" >>"$scroll" 2>&1 || true
fi
start=$tmp/start.txt
: >"$start"
if [ "${START:-1}" != 0 ] && [ -x "$top/build/bin/Tarvelin" ]; then
  echo "window_bench: start-up and idle memory under Xvfb" >&2
  echo "load average $(load) at the start" >"$start"
  xvfb-run -a -s "-screen 0 1280x1024x24" python3 "$here/window_start_bench.py" --runs "${START_RUNS:-5}" \
    "$top/build/bin/Tarvelin" >>"$start" 2>&1 || true
fi
echo "window_bench: load average $(cut -d' ' -f1-3 /proc/loadavg) at the end" >&2

# --- tables ------------------------------------------------------------------
python3 - "$results" "$RUNS" "$MANY" "$RTT" "$SITES" <<'EOF'
import statistics, sys
results, runs, many, rtt, sites = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4], sys.argv[5].split()
rows = []
for line in open(results):
    site, prog, n, status, times, stored, load, figures = (line.rstrip("\n").split("\t") + [""])[:8]
    wall, user, sys_, rss = times.split()
    f = dict(kv.split("=") for kv in figures.split()) if figures else {}
    # The window's idle second before its run is no part of the run.
    wall = float(wall) - float(f.get("idle_wait_ms", 0)) / 1000
    rows.append(dict(site=site, prog=prog, status=status, wall=wall, cpu=float(user) + float(sys_),
                     rss=int(rss) / 1024, stored=int(stored), load=float(load), f=f))
def pick(site, prog):
    return [r for r in rows if r["site"] == site and r["prog"] == prog]
def med(values):
    return statistics.median(values) if values else float("nan")
def fig(rs, key, fmt="%s"):
    return ", ".join(fmt % float(r["f"][key]) if key in r["f"] else "?" for r in rs)
names = {"main": "Main site (2,001 pictures)", "docs": "Manual-like site"}
for site in sites + ["rtt-" + s for s in sites]:
    cli, win = pick(site, "cli"), pick(site, "window")
    if not cli or not win:
        continue
    base = site.replace("rtt-", "")
    where = "on loopback" if site == base else "through the latency proxy at %s ms round trip" % rtt
    print()
    print("%s %s, median of %d runs each; load average %.1f (median at the start of each run):" % (
        names.get(base, base), where, len(cli), med([r["load"] for r in cli + win])))
    print()
    print("| | tarvelin-cli | Tarvelin window | window / cli |")
    print("|---|---:|---:|---:|")
    for label, key, fmt in [("wall time (s)", "wall", "%.2f"), ("CPU time, user+sys (s)", "cpu", "%.2f"),
                            ("peak memory (MB)", "rss", "%.1f"), ("pictures stored", "stored", "%d")]:
        a, b = med([r[key] for r in cli]), med([r[key] for r in win])
        print("| %s | %s | %s | %.2f |" % (label, fmt % a, fmt % b, b / a if a else float("nan")))
    print("| wall time ratio of each pair of runs | | | %s |" % ", ".join(
        "%.2f" % (w["wall"] / c["wall"]) for c, w in zip(cli, win)))
    # The window's process ends after its run: the thumbnail threads finish
    # the picture each is making, and Qt and the list are taken down.
    ended = [(float(r["f"]["wall_ms"]) - float(r["f"]["idle_wait_ms"])) / 1000 for r in win if "wall_ms" in r["f"]]
    if ended:
        print("| start to the run's end, without the ending of the process (s) | %.2f | %.2f | %.2f |" % (
            med([r["wall"] for r in cli]), med(ended), med(ended) / med([r["wall"] for r in cli])))
    print("| longest stall of the window's event loop (ms), each run | | %s | |" % fig(win, "worst_stall_ms", "%.0f"))
    print("| &nbsp;&nbsp;of which the window's thread was working (ms) | | %s | |" % fig(win, "worst_stall_working_ms", "%.1f"))
    print("| stalls over 16 ms, each run | | %s | |" % fig(win, "stalls_over_16ms", "%.0f"))
    print("| most work of the window's thread between two ticks (ms), each run | | %s | |" % fig(win, "busiest_ms", "%.1f"))
    print("| pictures in the list at the end | | %s | |" % fig(win, "thumbnails", "%.0f"))
    print()
    print("Exit status: cli %s; window %s" % (",".join(r["status"] for r in cli), ",".join(r["status"] for r in win)))
mw, mc = pick("many", "window"), pick("many", "cli")
if mw:
    r = mw[0]
    c = mc[0] if mc else None
    print()
    print("The %s-picture site, one run each; load average %.1f:" % (many, r["load"]))
    print()
    print("| | tarvelin-cli | Tarvelin window |")
    print("|---|---:|---:|")
    print("| wall time (s) | %s | %.2f |" % ("%.2f" % c["wall"] if c else "-", r["wall"]))
    print("| CPU time, user+sys (s) | %s | %.2f |" % ("%.2f" % c["cpu"] if c else "-", r["cpu"]))
    print("| peak memory (MB) | %s | %.1f |" % ("%.1f" % c["rss"] if c else "-", r["rss"]))
    idle, mark = float(r["f"].get("idle_mb", "nan")), float(r["f"].get("mark_peak_mb", "nan"))
    print("| memory of the idle window before the run (MB, VmHWM) | | %.1f |" % idle)
    print("| peak memory when the list held %s pictures (MB) | | %.1f |" % (many, mark))
    print("| **the list added, idle to %s pictures (MB)** | | %.1f |" % (many, mark - idle))
    print("| pictures in the list at the end | | %s |" % r["f"].get("thumbnails", "?"))
    print("| longest stall of the window's event loop (ms) | | %s |" % r["f"].get("worst_stall_ms", "?"))
    print("| &nbsp;&nbsp;of which the window's thread was working (ms) | | %s |" % r["f"].get("worst_stall_working_ms", "?"))
    print("| most work of the window's thread between two ticks (ms) | | %s |" % r["f"].get("busiest_ms", "?"))
    print()
    print("Exit status: cli %s; window %s" % (c["status"] if c else "-", r["status"]))
EOF
for part in "$scroll" "$start"; do
  if [ -s "$part" ]; then echo; cat "$part"; fi
done
