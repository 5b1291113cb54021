#!/usr/bin/env bash
# Crawls a one-page site of many pictures behind an nginx that throttles
# (limit_req: 20 requests a second, a burst of 5, then "503" with
# "Retry-After: 1") with tarvelin-cli and with wget2 -r --tries, and prints per
# program: wall time, requests, 503 answers (and their share), and pictures
# that arrived with their exact bytes.
#
#   bash bench/throttle_bench.sh
#   PICTURES=400 RATE=10 bash bench/throttle_bench.sh
#
# Settings (environment): PICTURES (200), RATE requests a second (20),
# BENCH_PORT (18451), TARVELIN_CLI (build/bin/tarvelin-cli), KEEP=1 keeps the
# temporary folder. All traffic stays on 127.0.0.1, served by an nginx this
# script starts with a configuration of its own and stops again. Needs nginx,
# wget2, python3 and GNU time (scripts/install-deps.sh --bench).
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
top=$(cd "$here/.." && pwd)
CLI=${TARVELIN_CLI:-$top/build/bin/tarvelin-cli}
PICTURES=${PICTURES:-200}
RATE=${RATE:-20}
PORT=${BENCH_PORT:-18451}
HOST=127.0.0.1
. "$here/nginx.sh"

for tool in nginx wget2 python3 /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "throttle_bench: $tool is missing (scripts/install-deps.sh --bench)" >&2; exit 1; }
done
[ -x "$CLI" ] || { echo "throttle_bench: $CLI not found; build first" >&2; exit 1; }

tmp=$(mktemp -d)
cleanup() {
  nginx_stop
  [ "${KEEP:-}" = 1 ] && echo "throttle_bench: kept $tmp" >&2 || rm -rf "$tmp"
}
trap cleanup EXIT

# The site: one page showing every picture; each picture has bytes of its own.
python3 - "$tmp/site" "$PICTURES" <<'EOF'
import os, sys, random
site, count = sys.argv[1], int(sys.argv[2])
os.makedirs(os.path.join(site, "p"))
random.seed(7)
with open(os.path.join(site, "index.htm"), "w") as page:
    page.write("<html><title>Throttled</title><body>\n")
    for i in range(count):
        with open(os.path.join(site, "p", f"{i}.png"), "wb") as f:
            f.write(b"\x89PNG\r\n\x1a\n" + random.randbytes(random.randint(2000, 20000)))
        page.write(f'<img src="p/{i}.png">\n')
    page.write("</body></html>\n")
EOF

nginx_start "$tmp/nginx" '$status $request_uri' \
  "limit_req_zone \$binary_remote_addr zone=bench:1m rate=${RATE}r/s;
   server { listen $HOST:$PORT; root $tmp/site;
            limit_req zone=bench burst=5 nodelay; limit_req_status 503;
            add_header Retry-After 1 always; }" \
  "$HOST:$PORT"
START="http://$HOST:$PORT/index.htm"
access=$tmp/nginx/logs/access.log

printf '%-14s %8s %9s %6s %7s %9s\n' program wall requests 503s "503 %" pictures
run() {  # name command...
  local name=$1 before
  shift
  mkdir -p "$tmp/out-$name" "$tmp/home-$name"
  sleep 1.2   # the limit's bucket fills up again between programs
  before=$(wc -l <"$access")
  HOME=$tmp/home-$name XDG_CONFIG_HOME=$tmp/home-$name/config XDG_DATA_HOME=$tmp/home-$name/data \
    /usr/bin/time -f '%e' -o "$tmp/time-$name" timeout 600 "$@" </dev/null >"$tmp/log-$name" 2>&1 || true
  sleep 0.2
  tail -n +"$((before + 1))" "$access" >"$tmp/access-$name"
  python3 - "$name" "$(tail -n 1 "$tmp/time-$name")" "$tmp/access-$name" "$tmp/site/p" "$tmp/out-$name" <<'EOF'
import hashlib, os, sys
name, wall, access, pictures, out = sys.argv[1:]
statuses = [line.split()[0] for line in open(access) if line.strip()]
busy = statuses.count("503")
want = {hashlib.sha1(open(os.path.join(pictures, f), "rb").read()).hexdigest() for f in os.listdir(pictures)}
got = set()
for root, _, files in os.walk(out):
    for f in files:
        got.add(hashlib.sha1(open(os.path.join(root, f), "rb").read()).hexdigest())
share = 100.0 * busy / max(1, len(statuses))
print(f"{name:<14} {float(wall):7.1f}s {len(statuses):9d} {busy:6d} {share:6.1f}% {len(want & got):4d}/{len(want)}")
EOF
}
run tarvelin-cli "$CLI" --fresh --folder "$tmp/out-tarvelin-cli" "$START"
run wget2 wget2 -r -l inf --robots=off --max-threads=5 --tries=4 --waitretry=4 -q -P "$tmp/out-wget2" "$START"
