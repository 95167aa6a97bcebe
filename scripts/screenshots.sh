#!/usr/bin/env bash
# Draws every window and dialog of the programs built so far into PNG files
# under build/screenshots, with Qt's offscreen platform: no display needed.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD:-build}
out="$build/screenshots"
mkdir -p "$out"
export QT_QPA_PLATFORM=offscreen KAVREL_AUDIO=virtual KAVREL_SCREENSHOT_DIR="$PWD/$out"
# From fresh settings every time: what an earlier run kept (the display
# type, the bars) would change the pictures.
export XDG_CONFIG_HOME="$PWD/$build/screenshot-config"
rm -rf "$XDG_CONFIG_HOME"
for program in morvit capteon pelmora; do
  if [ -x "$build/bin/$program" ]; then
    "$build/bin/$program" >/dev/null 2>&1 || true
  fi
done
# The viewer on the demo sound: the power curve over the sonogram once in
# every display type, then the power curve and the oscillogram alone.
if [ -x "$build/bin/kavrel" ]; then
  "$build/bin/kavrel" view demo/demo.wav >/dev/null 2>&1 || true
fi
# The tracer on an object of the demo sound (its first two seconds): every
# visible trace in the rebuilt signal, marked over the sonogram and alone,
# and its two dialogs.
if [ -x "$build/bin/glissar" ] && [ -x "$build/bin/kavrel" ]; then
  obj="$build/screenshot-objects"
  rm -rf "$obj" && mkdir -p "$obj"
  "$build/bin/kavrel" make-object demo/demo.wav 20 420 "$obj/demo 1.gsr" >/dev/null
  "$build/bin/glissar" "$PWD/$obj/demo 1.gsr" >/dev/null 2>&1 || true
fi
# The reverberation analyser on an object of the demo sound (65280 samples
# from its start): the whole spectrum in the window, then scrolled to
# 1000 Hz with the frequencies of the maxima and minima, and the jump dialog.
if [ -x "$build/bin/vornel" ] && [ -x "$build/bin/kavrel" ]; then
  obj="$build/screenshot-objects"
  mkdir -p "$obj"
  rm -f "$obj/demo 2.vrn"
  "$build/bin/kavrel" make-object demo/demo.wav 20 660 "$obj/demo 2.vrn" --index 2 >/dev/null
  "$build/bin/vornel" "$PWD/$obj/demo 2.vrn" >/dev/null 2>&1 || true
fi
# The analyser once more on a human voice: the spoken "Front center" of
# Debian's alsa-utils, taken out of its package without installing it (the
# demo sound is synthetic speech). Without the package the step is left out.
real="$build/recordings/Front_Center.wav"
if [ ! -f "$real" ] && command -v apt-get > /dev/null && command -v dpkg-deb > /dev/null; then
  tmp=$(mktemp -d)
  if (cd "$tmp" && apt-get download alsa-utils > /dev/null 2>&1 && dpkg-deb -x alsa-utils_*.deb x); then
    mkdir -p "$build/recordings"
    cp "$tmp/x/usr/share/sounds/alsa/Front_Center.wav" "$real"
  fi
  rm -rf "$tmp"
fi
if [ -f "$real" ] && [ -x "$build/bin/vornel" ] && [ -x "$build/bin/kavrel" ]; then
  obj="$build/screenshot-objects"
  mkdir -p "$obj" "$out/real-voice"
  rm -f "$obj/Front_Center 3.vrn"
  "$build/bin/kavrel" make-object "$real" 20 600 "$obj/Front_Center 3.vrn" --index 3 > /dev/null
  KAVREL_SCREENSHOT_DIR="$PWD/$out/real-voice" "$build/bin/vornel" "$PWD/$obj/Front_Center 3.vrn" > /dev/null 2>&1 || true
fi
# The workshop: its empty main window, then the demo's document (made by the
# build, with sound objects of every kind on three levels) in each display
# mode, with the pitch and formant tracks, the description of a new object
# and the About box.
if [ -x "$build/bin/tembrix" ]; then
  doc="$PWD/$build/demo/demo.tbx"
  [ -f "$doc" ] || bash scripts/demo-document.sh "$build/bin/kavrel" demo/demo.wav "$doc" >/dev/null
  "$build/bin/tembrix" --open "$doc" >/dev/null 2>&1 || true
fi
# The workshop once more on the human voice, into real-voice/: its tracks
# (tembrix-tracks.png) on speech that is not synthetic.
if [ -f "$real" ] && [ -x "$build/bin/tembrix" ] && [ -x "$build/bin/kavrel" ]; then
  doc="$PWD/$build/screenshot-objects/Front_Center.tbx"
  mkdir -p "$(dirname "$doc")" "$out/real-voice"
  rm -f "$doc"
  # Without objects: the demo's lie past this shorter sound's end, and the
  # workshop puts objects of its own on a document that has none.
  "$build/bin/kavrel" make-document "$real" "$doc" >/dev/null
  KAVREL_SCREENSHOT_DIR="$PWD/$out/real-voice" "$build/bin/tembrix" --open "$doc" >/dev/null 2>&1 || true
fi
ls "$out"/*.png "$out"/real-voice/*.png 2>/dev/null
