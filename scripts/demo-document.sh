#!/usr/bin/env bash
# The workshop's document of the bundled demo sound, with sound objects of
# every type on five levels, made by the batch tool's make-document (the
# workshop's own File New and New sound object steps) so that the paths it
# stores are those of this machine. Called by the build:
#   demo-document.sh KAVREL_TOOL DEMO.wav OUT.tbx
# It replaces an earlier document and the object files it brought.
set -euo pipefail
tool=$1 wav=$2 doc=$3
folder=$(dirname "$doc")
title=$(basename "${wav%.*}")
mkdir -p "$folder"
rm -f "$doc"
for i in 1 2 3 4 5 6 7 8 9; do
  rm -f "$folder/${title}_$i.gsr" "$folder/${title}_$i.ocn" "$folder/${title}_$i.vrn" "$folder/${title}_$i.kfw"
done
"$tool" make-document "$wav" "$doc" \
  --object 40 420 1 "Фраза 1" \
  --object 90 200 0 "Ударный" \
  --object 300 560 3 "Голос" \
  --object 480 700 4 "Эхо" \
  --object 520 640 2 "Тон" \
  --object 320 450 0 "Слог" \
  --object 340 420 0 "Гласный" \
  --object 350 400 0 "Ударение" \
  --object 600 900 0 "Конец фразы" --level-change -6
