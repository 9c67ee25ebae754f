#!/usr/bin/env bash
# Installs the Debian packages the build needs when they are missing: with
# apt-get when run as root, otherwise prints the one line to run and stops.
set -eu
missing=()
for pkg in "$@"; do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$pkg")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0
if [ "$(id -u)" -eq 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}"
else
  echo "Missing packages. Run:"
  echo "  sudo apt-get install -y ${missing[*]}"
  exit 1
fi
