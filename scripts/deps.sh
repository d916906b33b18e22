#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when they are missing.
set -euo pipefail
# libocct-*: the peer STEP reader (OpenCASCADE), linked only into the comparisons with it (bench/peer_read,
# tests/peer; the latter reads into the peer's document, hence libocct-ocaf-dev).
packages=(cmake make g++ libgtest-dev libbenchmark-dev
          libocct-data-exchange-dev libocct-foundation-dev libocct-modeling-data-dev libocct-ocaf-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi
