#!/usr/bin/env bash
# Installs what building and testing the tool needs on a Debian machine,
# only what is missing (apt-get; run as root or with sudo available).
set -euo pipefail
# libqt6svg6 draws the application icon; the tool runs without it.
need=(cmake g++ make qt6-base-dev qt6-serialport-dev libqt6svg6 libgl-dev clang libclang-rt-14-dev)
[[ "${1:-}" == "--with-xvfb" ]] && need+=(xvfb xauth fonts-dejavu-core)
missing=()
for p in "${need[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=()
  [[ $(id -u) -ne 0 ]] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
fi
