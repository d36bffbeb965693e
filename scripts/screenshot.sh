#!/usr/bin/env bash
# Regenerates docs/main-window.png (the main window after a start-up against
# cbox-sim), docs/file-menu.png (the same with its File menu open) and
# docs/dial.png (the rotator dial beside it: a go-to to 250° on its way, the
# controller in south-stop mode, the presets of a station), drawn by the real
# X11 platform under a virtual display (Xvfb). VELTA_SHOT_DIR puts the
# pictures elsewhere, e.g. to look at them under QT_SCALE_FACTOR=2.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --with-xvfb
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target velta_shot cbox-sim
root=$PWD
out=${VELTA_SHOT_DIR:-$root/docs}
work=$(mktemp -d /tmp/velta-shot.XXXXXX)
# Turning slowly: the status read after the go-to finds the rotator on its way.
"$root/build/sim/cbox-sim" --port 1 --dir "$work" --set position=123 --set version=323 --set stop_mode=1 \
  --set speed=10 > "$work/sim.log" 2>&1 &
sim=$!
trap 'kill $sim 2>/dev/null || true' EXIT
for _ in $(seq 50); do [[ -e "$work/ports/com1" ]] && break; sleep 0.1; done
cat > "$work/presets.json" <<'JSON'
[
    {"name": "Park", "azimuth": 180},
    {"name": "Repeater", "azimuth": 47},
    {"name": "EU", "azimuth": 65},
    {"name": "JA", "azimuth": 20},
    {"name": "W", "azimuth": 305},
    null,
    null,
    null
]
JSON
mkdir -p "$out"
(cd "$work" && xvfb-run -a -s "-screen 0 ${VELTA_SHOT_SCREEN:-1600x1200}x24" "$root/build/velta_shot" \
  "$out/main-window.png" "$out/file-menu.png" "$out/dial.png")
echo "screenshots: $out/main-window.png $out/file-menu.png $out/dial.png"
