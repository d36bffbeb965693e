#!/usr/bin/env bash
# Installs what building and testing the tool needs on a Debian machine,
# only what is missing (apt-get; run as root or with sudo available).
set -euo pipefail
# libqt6svg6 draws the application icon; the tool runs without it.
# libhamlib-utils brings rotctl, the network client the tracking server's test
# runs against; systemd brings systemd-analyze, which checks the station's unit.
need=(cmake g++ make qt6-base-dev qt6-serialport-dev libqt6svg6 libgl-dev clang libclang-rt-14-dev libhamlib-utils
  systemd)
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
# The tests read and write numbers under decimal-comma languages too.
for l in de_DE it_IT; do
  if ! locale -a 2>/dev/null | grep -qi "^$l.utf-\?8$"; then
    sudo_cmd=()
    [[ $(id -u) -ne 0 ]] && sudo_cmd=(sudo)
    dpkg-query -W -f='${Status}' locales 2>/dev/null | grep -q "install ok installed" ||
      DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq locales >/dev/null
    "${sudo_cmd[@]}" sed -i "s/^# *\($l.UTF-8 UTF-8\)/\1/" /etc/locale.gen
    grep -q "^$l.UTF-8 UTF-8" /etc/locale.gen || echo "$l.UTF-8 UTF-8" | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
    "${sudo_cmd[@]}" locale-gen >/dev/null
  fi
done
