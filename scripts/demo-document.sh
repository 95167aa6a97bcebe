#!/usr/bin/env bash
# Makes the workshop's document of the bundled demo sound once, the way a
# user does it: File New, the demo sound, SigmaFr as offered, the document
# kept as build/demo/demo.tbx, saved. Runs the workshop offscreen.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD:-build}
doc="$PWD/$build/demo/demo.tbx"
[ -f "$doc" ] && exit 0
mkdir -p "$build/demo"
script="$build/demo/new-document.txt"
cat > "$script" <<END
file $PWD/demo/demo.wav
file $doc
command 57600
press 1
command 57603
command 57665
END
QT_QPA_PLATFORM=offscreen KAVREL_AUDIO=virtual XDG_CONFIG_HOME="$PWD/$build/demo/config" KAVREL_UI_SCRIPT="$script" \
  "$build/bin/tembrix" >/dev/null 2>&1
[ -f "$doc" ] || { echo "Документ демонстрационного звука не создан" >&2; exit 1; }
