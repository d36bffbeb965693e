#!/usr/bin/env bash
# The house rule the build keeps: a layer includes only what stands below it
# (serial/, then protocol/, then monitor/, then ui/ and app/), and no source
# file grows past 300 lines. Prints each breach and fails on any.
set -uo pipefail
cd "$(dirname "$0")/.."
status=0
for rule in "serial:protocol|monitor|ui|app" "protocol:monitor|ui|app" "monitor:ui|app"; do
  low=${rule%%:*} high=${rule#*:}
  if hits=$(grep -nE "#include \"($high)/" "$low"/*.h "$low"/*.cpp); then
    echo "$low/ reaches up a layer:"; echo "$hits"; status=1
  fi
done
while read -r lines file; do
  [[ $file == total ]] && continue
  ((lines > 300)) && { echo "$file has $lines lines (at most 300)"; status=1; }
done < <(find serial protocol monitor ui app sim tests bench scripts -name '*.h' -o -name '*.cpp' | xargs wc -l)
exit $status
