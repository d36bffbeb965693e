#!/usr/bin/env bash
# Builds the tool and starts it against the controller simulator in a scratch
# working directory: no hardware needed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && "${QT_QPA_PLATFORM:-}" != offscreen ]]; then
  echo "demo: no display here (DISPLAY and WAYLAND_DISPLAY are unset)."
  echo "      Run this command from a desktop session, or over 'ssh -X',"
  echo "      or under a virtual display: xvfb-run -a bash scripts/demo.sh"
  exit 1
fi

work=$(mktemp -d /tmp/velta-demo.XXXXXX)
echo "demo: working directory $work (velta.ini and ports/com1 live here)"
./build/sim/cbox-sim --port 1 --dir "$work" > "$work/sim.log" 2>&1 &
sim=$!
trap 'kill $sim 2>/dev/null || true' EXIT
for _ in $(seq 50); do [[ -e "$work/ports/com1" ]] && break; sleep 0.1; done
tool="$PWD/build/velta"
(cd "$work" && "$tool")
