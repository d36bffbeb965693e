#!/usr/bin/env bash
# Regenerates docs/main-window.png (the main window after a start-up against
# cbox-sim) and docs/file-menu.png (the same with its File menu open), drawn
# by the real X11 platform under a virtual display (Xvfb).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --with-xvfb
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target velta_shot cbox-sim
root=$PWD
work=$(mktemp -d /tmp/velta-shot.XXXXXX)
"$root/build/sim/cbox-sim" --port 1 --dir "$work" --set position=123 --set version=323 > "$work/sim.log" 2>&1 &
sim=$!
trap 'kill $sim 2>/dev/null || true' EXIT
for _ in $(seq 50); do [[ -e "$work/ports/com1" ]] && break; sleep 0.1; done
mkdir -p docs
(cd "$work" && xvfb-run -a -s "-screen 0 1600x1200x24" "$root/build/velta_shot" "$root/docs/main-window.png" "$root/docs/file-menu.png")
echo "screenshots: docs/main-window.png docs/file-menu.png"
