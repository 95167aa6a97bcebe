#!/usr/bin/env bash
# The harnesses' seed corpora, made fresh by the batch tool (sox makes the
# sounds the tool starts from): make-seeds.sh KAVREL_TOOL DIR
# writes DIR/seeds/HARNESS/ for every harness and keeps the sounds and the
# object files the seed documents name in DIR/seed-work/, whose whole paths
# the documents store. The tracer's seeds carry their .kfw after the marker
# KFW-DATA; every one of them names DIR/seed-work/object.kfw.
set -euo pipefail
here=$(dirname "$(realpath "$0")")
tool=$(realpath "$1")
dir=$(realpath -m "$2")
work=$dir/seed-work
seeds=$dir/seeds
rm -rf "$work" "$seeds"
mkdir -p "$work"
for h in riff wave pelmora_wave film_record tbx gsr vrn textgrid; do
  mkdir -p "$seeds/$h"
done
cd "$work"

# Sounds of every format the readers take, a second or less each.
sox -q -n -r 8000 -b 16 -c 1 voice.wav synth 0.6 sawtooth 180 vol 0.5
sox -q -n -r 11025 -b 8 -c 1 tone8.wav synth 0.3 sine 440
sox -q -n -r 8000 -b 16 -c 2 stereo.wav synth 0.25 sine 300 sine 700
sox -q -n -r 6000 -b 8 -c 2 stereo8.wav synth 0.2 square 250
# The suite's own writer: an edit of the tool's.
"$tool" edit voice.wav cut.wav cut --select 5 20 --keep
"$tool" edit voice.wav up.wav up2
for w in voice tone8 stereo stereo8 cut; do
  for h in riff wave pelmora_wave; do
    cp "$w.wav" "$seeds/$h/$w.wav"
  done
done
head -c 60000 up.wav > "$seeds/wave/up-cut-off.wav"

# Workshop documents: without objects, with objects of every type, and at
# another NFFT and resolution.
"$tool" make-document voice.wav empty.tbx
"$tool" make-document voice.wav objects.tbx --object 2 12 0 "Текст" --object 5 30 1 "Гармоники" \
  --object 10 25 3 "Голос" --object 20 40 4 "Эхо" --object 1 8 2 "Тон" --level-change -6
"$tool" make-document stereo.wav narrow.tbx --nfft 256 --sigmaf 120 --object 3 20 0 "Узкий"
for d in empty objects narrow; do
  cp "$d.tbx" "$seeds/tbx/$d.tbx"
  cp "$d.tbx" "$seeds/film_record/$d.tbx"
done

# Tracer documents, one at a time at the one path, with the traces the
# tracer finds added, and the float wave behind the marker.
tracer() {
  local name=$1; shift
  rm -f object.gsr object.ocn object.kfw
  "$tool" make-object "$@"
  local doc=object.gsr
  [ -f object.ocn ] && doc=object.ocn
  "$tool" traces "$doc" --add-visible > /dev/null
  { cat "$doc"; printf 'KFW-DATA'; cat object.kfw; } > "$seeds/gsr/$name"
}
tracer micro voice.wav 2 44 object.gsr
tracer voice voice.wav 4 30 object.ocn --name "Голос"
tracer narrow voice.wav 10 150 object.gsr --nfft 256
tracer empty voice.wav 3 20 object.gsr
# The last one stays untraced: the first document the workshop writes.
rm -f object.gsr object.kfw
"$tool" make-object voice.wav 3 20 object.gsr
{ cat object.gsr; printf 'KFW-DATA'; cat object.kfw; } > "$seeds/gsr/first"

# Analyser documents.
"$tool" make-object voice.wav 2 40 echo.vrn
"$tool" make-object stereo.wav 1 10 echo-right.vrn --channel 1
cp echo.vrn echo-right.vrn "$seeds/vrn/"

# The wider WAV layouts (sox writes WAVE_FORMAT_EXTENSIBLE above 16 bits and
# above two channels) and, from them, records spoilt field by field.
sox -q -D -n -r 48000 -b 24 -c 1 wide24.wav synth 0.05 sine 440
sox -q -D -n -r 44100 -e signed-integer -b 32 -c 2 int32.wav synth 0.05 sine 300 sine 500
sox -q -D -n -r 96000 -e floating-point -b 32 -c 1 float32.wav synth 0.05 sine 1000
sox -q -D -n -r 22050 -e floating-point -b 64 -c 2 float64.wav synth 0.05 sine 150 sine 90
sox -q -D -n -r 16000 -b 24 -c 6 six.wav synth 0.02 sine 100 sine 200 sine 300 sine 400 sine 500 sine 600
sox -q -D -n -r 8 -b 24 -c 1 slow.wav synth 4 sine 1
for w in wide24 int32 float32 float64 six slow; do
  for h in riff wave pelmora_wave; do
    cp "$w.wav" "$seeds/$h/$w.wav"
  done
done
# spoil NAME OFFSET HEX...: a copy of wide24.wav (a 40-byte extensible "fmt "
# at 12, its record from 20, the subformat GUID at 44, "data" at 72) with
# these bytes written at OFFSET.
spoil() {
  local name=$1 offset=$2; shift 2
  cp wide24.wav "$name.wav"
  local hex
  for hex in "$@"; do
    printf "\\x$hex" | dd of="$name.wav" bs=1 seek="$offset" conv=notrunc status=none
    offset=$((offset + 1))
  done
  for h in riff wave pelmora_wave; do
    cp "$name.wav" "$seeds/$h/$name.wav"
  done
}
spoil bad-guid 59 00                   # the GUID's last byte
spoil adpcm-subformat 44 02            # a subformat of another codec
spoil mask-mismatch 40 3f 00 00 00     # six speakers for one channel
spoil block-align 32 04 00             # 4 bytes a frame for one 24-bit sample
spoil channels-0 22 00 00
spoil channels-max 22 ff ff
spoil bits-0 34 00 00
spoil bits-max 34 ff ff
spoil valid-bits 38 1c 00              # 28 valid bits in 24
spoil rate-0 24 00 00 00 00
spoil rate-max 24 ff ff ff ff
spoil data-too-long 76 f0 ff ff ff     # the data chunk claims nearly 4 GB
spoil short-extension 16 12 00 00 00   # "fmt " of 18 bytes for an extensible record
# TextGrids: the tool's own export of a document with objects of every type
# on several levels; and, where Praat is installed, Praat's
# long, short and UTF-16 forms of a grid with a point tier.
"$tool" textgrid objects.tbx "$seeds/textgrid/objects.TextGrid" > /dev/null
if command -v praat > /dev/null; then
  praat --run "$here/../tembrix/tests/praat/make-textgrid.praat" "$seeds/textgrid"
else
  printf 'File type = "ooTextFile"\nObject class = "TextGrid"\n\n0\n2\n<exists>\n2\n"IntervalTier"\n"w"\n0\n2\n2\n0\n1\n"да ""а"""\n1\n2\n""\n"TextTier"\n"t"\n0\n2\n1\n0.5\n"H"\n' \
    > "$seeds/textgrid/short.TextGrid"
fi
