#!/usr/bin/env bash
# Prepares this machine to build and test Trelk: Debian packages (the i686
# cross compiler, Wine with its 32-bit half, Xvfb and the GUI test tools, the
# manual's converter and unzip for the Windows download) and
# the dependency source packages, unpacked under deps/ (ignored by git).
# Idempotent: a second run with everything in place only checks and returns.
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
deps="$top/deps"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

packages=(
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
  cmake ninja-build make patch dpkg-dev
  wine wine32:i386 xvfb xauth xdotool x11-utils imagemagick
  libzycore-dev clang libclang-rt-14-dev libstb-dev
  libsqlite3-dev fasm nasm python3
  python3-markdown-it unzip
)
# Source packages and the folder each unpacks to.
sources=(
  "lua5.1 lua5.1-5.1.5"
  "googletest googletest-1.12.1"
  "zydis zydis-4.0.0"
  "pcre3 pcre3-8.39"
  "scite scite-5.3.3"
  "mapnik mapnik-3.1.0"
)

log() { echo "setup: $*"; }

need_update=0

# 32-bit Wine needs the i386 architecture.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  log "adding the i386 architecture"
  $sudo dpkg --add-architecture i386
  need_update=1
fi

# deb-src entries mirroring the machine's own Debian sources.
src_list=/etc/apt/sources.list.d/trelk-deb-src.sources
if [ ! -f "$src_list" ]; then
  log "enabling deb-src"
  tmp=$(mktemp)
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    grep -q 'debian' "$f" || continue
    awk 'BEGIN{RS="";ORS="\n\n"} /URIs:[^\n]*debian/ {sub(/Types:[^\n]*/,"Types: deb-src"); print}' "$f" >>"$tmp"
  done
  if [ -f /etc/apt/sources.list ]; then
    grep -E '^deb[[:space:]]' /etc/apt/sources.list | grep debian | \
      sed -E 's/^deb[[:space:]]/deb-src /' >"${tmp}.list" || true
    if [ -s "${tmp}.list" ]; then
      $sudo cp "${tmp}.list" /etc/apt/sources.list.d/trelk-deb-src.list
    fi
    rm -f "${tmp}.list"
  fi
  if [ -s "$tmp" ]; then
    $sudo cp "$tmp" "$src_list"
  else
    $sudo touch "$src_list"
  fi
  rm -f "$tmp"
  need_update=1
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed'; then
    missing+=("$p")
  fi
done

have_sources=1
for s in "${sources[@]}"; do
  set -- $s
  [ -d "$deps/$2" ] || have_sources=0
done

if [ ${#missing[@]} -gt 0 ] || [ $have_sources -eq 0 ]; then
  if [ $need_update -eq 1 ] || [ ! -f "$deps/.apt-updated" ]; then
    log "apt-get update"
    $sudo apt-get update -q
    mkdir -p "$deps" && touch "$deps/.apt-updated"
  fi
fi

if [ ${#missing[@]} -gt 0 ]; then
  log "installing ${missing[*]}"
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q \
    --no-install-recommends "${missing[@]}"
fi

mkdir -p "$deps/cache"
for s in "${sources[@]}"; do
  set -- $s
  [ -d "$deps/$2" ] && continue
  log "fetching source package $1"
  (cd "$deps/cache" && apt-get source --download-only -q "$1" >/dev/null)
  dsc=$(ls "$deps/cache/${1}_"*.dsc | sort -V | tail -n 1)
  rm -rf "$deps/$2.tmp"
  dpkg-source --no-check -x "$dsc" "$deps/$2.tmp" >/dev/null
  mv "$deps/$2.tmp" "$deps/$2"
done
log "ready"
