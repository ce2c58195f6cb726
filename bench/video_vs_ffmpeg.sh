#!/usr/bin/env bash
# Sets our video decoders beside FFmpeg's, one thread each, on the same
# 640x360 files in the same run: Sorenson H.263, Screen Video 1 and 2,
# decoding alone and decoding with conversion to 32-bit pixels (FFmpeg:
# swscale to BGRA). Ours are timed by bench_media --versus under Wine, FFmpeg's
# command-line decoder on the host (-threads 1, output to null). Figures are
# frames per second of processor time (user and system), so that other work
# on the machine weighs less; FFmpeg's start-up is taken out by timing a short
# and a long run (the file looped) and dividing the extra frames by the extra
# time. Rounds alternate between the two; each line gives the medians and
# ends with the median of the rounds' own ratios, "N.NNx of FFmpeg". A last
# line sets our Screen Video 1 decoding beside zlib inflating the same blocks
# alone, in the same program: the floor both decoders stand on.
#
#   bench/video_vs_ffmpeg.sh [rounds]     (3 by default)
#
# FFmpeg (Debian's ffmpeg) makes the test files and is installed when missing;
# the program itself never needs it.
set -euo pipefail
ROUNDS="${1:-3}"
case "$ROUNDS" in ''|*[!0-9]*|0) echo "usage: $0 [rounds, 1 or more]" >&2; exit 2 ;; esac
HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$HERE/../scripts/env.sh"

if ! command -v ffmpeg >/dev/null; then
  echo "Installing ffmpeg"
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends ffmpeg >/dev/null
fi
swfzel_build --target bench_media >/dev/null
swfzel_wine_init

WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
python3 "$ROOT/tests/platform/flash/media/data/make_media.py" --into "$WORK" \
  bench-sorenson.flv bench-screen.flv bench-screen2.flv

# FFmpeg's processor seconds and frames for one run over the file looped `loops` extra times.
ffmpeg_run() {  # file loops convert
  local convert=()
  [ "$3" = convert ] && convert=(-pix_fmt bgra)
  local TIMEFORMAT='%3U %3S' times
  times=$( { time ffmpeg -hide_banner -nostdin -loglevel error -stats -threads 1 -filter_threads 1 \
             -stream_loop "$2" -i "$WORK/$1" "${convert[@]}" -f null - 2>"$WORK/stats"; } 2>&1 )
  local frames
  frames=$(tr '\r' '\n' <"$WORK/stats" | grep -o 'frame= *[0-9]*' | tail -1 | tr -dc 0-9)
  echo "$frames $times"
}

echo "Load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
RAW="$WORK/raw"
: >"$RAW"
for round in $(seq "$ROUNDS"); do
  (cd "$BUILD/bin" && "$WINE64" ./bench_media.exe --versus "Z:${WORK//\//\\}") | tr -d '\r' |
    awk -v r="$round" '$1 == "versus" { print r, "ours", $2, $3, $4, $5 }' >>"$RAW"
  for stream in sorenson:200 screen:40 screen2:40; do
    name="${stream%%:*}" loops="${stream##*:}"
    for measure in decode convert; do
      read -r f1 u1 s1 < <(ffmpeg_run "bench-$name.flv" 0 $measure)
      read -r f2 u2 s2 < <(ffmpeg_run "bench-$name.flv" "$loops" $measure)
      echo "$round ffmpeg $name $measure $((f2 - f1)) $(python3 -c "print(f'{$u2 + $s2 - $u1 - $s1:.3f}')")" >>"$RAW"
    done
  done
done
echo "Load average after: $(cut -d' ' -f1-3 /proc/loadavg)"

python3 - "$RAW" "$ROUNDS" <<'EOF'
import statistics, sys
rows = [line.split() for line in open(sys.argv[1])]
rounds = int(sys.argv[2])
fps = {}
for r in rows:
    frames, seconds = int(r[4]), float(r[5])
    if frames <= 0 or seconds <= 0:
        sys.exit(f"no figure for {' '.join(r[1:4])} in round {r[0]}: nothing was timed")
    fps[(r[0], r[1], r[2], r[3])] = frames / seconds
names = {"sorenson": "Sorenson H.263", "screen": "Screen Video", "screen2": "Screen Video 2"}
measures = {"decode": "decoding", "convert": "decoding and converting to 32-bit pixels"}
for name, title in names.items():
    for measure, what in measures.items():
        ours, theirs, ratios = [], [], []
        for n in range(1, rounds + 1):
            o, t = fps.get((str(n), "ours", name, measure)), fps.get((str(n), "ffmpeg", name, measure))
            if o is None or t is None:
                sys.exit(f"round {n} lacks {name} {measure}")
            ours.append(o); theirs.append(t); ratios.append(o / t)
        spread = " ".join(f"{x:.2f}" for x in ratios)
        print(f"{title}, {what} (640x360): {statistics.median(ours):,.0f} frames/s, "
              f"FFmpeg {statistics.median(theirs):,.0f} (rounds: {spread}): "
              f"{statistics.median(ratios):.2f}x of FFmpeg")
floor, share = [], []
for n in range(1, rounds + 1):
    inflate = fps.get((str(n), "ours", "screen", "inflate"))
    if inflate is None:
        sys.exit(f"round {n} lacks screen inflate")
    floor.append(inflate); share.append(fps[(str(n), "ours", "screen", "decode")] / inflate)
print(f"Screen Video, zlib inflating the same blocks alone: {statistics.median(floor):,.0f} frames/s; "
      f"our decoding at {statistics.median(share):.2f}x of that rate")
EOF
