#!/usr/bin/env bash
# Installs this build into a staging folder as a package would
# (DESTDIR=… with the prefix /usr) and checks what a desktop needs of it:
# the programs side by side and runnable from there, their entries and
# icons, the document types bound to them, and the guides with everything
# they show.
set -uo pipefail
build=$1
source=$2
programs=(tembrix glissar vornel capteon pelmora morvit)

stage=$(mktemp -d "${TMPDIR:-/tmp}/kavrel-install.XXXXXX")
trap 'rm -rf "$stage"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

if ! DESTDIR="$stage" cmake --install "$build" --prefix /usr > "$stage.log" 2>&1; then
  cat "$stage.log" >&2
  rm -f "$stage.log"
  echo "FAIL: cmake --install" >&2
  exit 1
fi
rm -f "$stage.log"
root="$stage/usr"
share="$root/share"

# Programs: all in one folder, each finding the suite's libraries from the
# staged tree through its run path, not from the build.
for p in "${programs[@]}" kavrel; do
  exe="$root/bin/$p"
  [ -x "$exe" ] || { fail "bin/$p missing"; continue; }
  missing=$(ldd "$exe" | grep 'not found')
  [ -z "$missing" ] || fail "bin/$p: $missing"
  for lib in $(ldd "$exe" | awk '/lib(kavrel|framework_[a-z]+)\.so/ {print $3}'); do
    case "$lib" in
      "$root"/*) ;;
      *) fail "bin/$p takes $lib from outside the installation" ;;
    esac
  done
done
if [ -x "$root/bin/kavrel" ]; then
  info=$("$root/bin/kavrel" info "$source/demo/demo.wav" 2>&1)
  grep -q '^samples: ' <<<"$info" || fail "installed kavrel info: $info"
fi
[ -z "$(ls "$root/bin" | grep -v -x -e kavrel $(printf -- '-e %s ' "${programs[@]}"))" ] ||
  fail "bin/ holds more than the suite's programs: $(ls "$root/bin")"
[ -f "$share/kavrel/pelmora/1/s1.wav" ] || fail "the noise test's sources are not installed"

# Desktop entries: valid, each with its icon, opening documents as the
# workshop's command line expects.
validator=$(command -v desktop-file-validate || true)
for p in "${programs[@]}"; do
  entry="$share/applications/$p.desktop"
  [ -f "$entry" ] || { fail "$p.desktop missing"; continue; }
  if [ -n "$validator" ]; then
    out=$("$validator" "$entry" 2>&1) || fail "$p.desktop: $out"
  fi
  icon=$(sed -n 's/^Icon=//p' "$entry")
  for drawn in scalable/apps/$icon.svg 48x48/apps/$icon.png; do
    [ -f "$share/icons/hicolor/$drawn" ] || fail "$p.desktop: no icon $drawn"
  done
  exec_line=$(sed -n 's/^Exec=//p' "$entry")
  case "$p" in
    tembrix) want="tembrix --open %f" ;;
    glissar | vornel) want="$p %f" ;;
    *) want="$p" ;;
  esac
  [ "$exec_line" = "$want" ] || fail "$p.desktop: Exec=$exec_line, expected $want"
done
for f in "$share"/icons/hicolor/scalable/apps/*.svg; do
  if command -v xmllint > /dev/null; then xmllint --noout "$f" 2>/dev/null || fail "$(basename "$f") is not well-formed"; fi
done

# Document types: each extension declared once and opened by its program.
mime="$share/mime/packages/kavrel.xml"
if [ ! -f "$mime" ]; then
  fail "mime/packages/kavrel.xml missing"
else
  if command -v xmllint > /dev/null; then xmllint --noout "$mime" || fail "kavrel.xml is not well-formed"; fi
  for pair in tbx:tembrix gsr:glissar vrn:vornel; do
    ext=${pair%%:*} program=${pair##*:}
    type=$(grep -B6 "pattern=\"\*\.$ext\"" "$mime" | sed -n 's/.*mime-type type="\([^"]*\)".*/\1/p' | tail -1)
    [ -n "$type" ] || { fail "no type for *.$ext"; continue; }
    grep -q "^MimeType=.*$type;" "$share/applications/$program.desktop" 2>/dev/null ||
      fail "$type is not opened by $program"
  done
  if command -v update-mime-database > /dev/null; then
    update-mime-database "$share/mime" > /dev/null 2>&1 || fail "update-mime-database refuses kavrel.xml"
    grep -q 'application/x-kavrel-tbx' "$share/mime/globs2" 2>/dev/null || fail "*.tbx is not in the compiled globs"
  fi
fi

# Guides: where the help commands look from bin/, with every picture and
# page they refer to.
for p in "${programs[@]}"; do
  guide="$root/bin/../share/kavrel/help/$p.html"
  [ -f "$guide" ] || { fail "help/$p.html missing"; continue; }
  grep -q 'id="window-128"' "$guide" || fail "help/$p.html lacks the main window's topic"
  for ref in $(grep -o -E '(src|href)="[^"#:]+' "$guide" | sed 's/^[a-z]*="//'); do
    [ -f "$share/kavrel/help/$ref" ] || fail "help/$p.html refers to missing $ref"
  done
done

if [ -z "$validator" ]; then
  echo "desktop-file-validate not found (package desktop-file-utils): the entries were not validated" >&2
  [ $failures -eq 0 ] && exit 77
fi
[ $failures -eq 0 ] || { echo "$failures problem(s) in the installed layout" >&2; exit 1; }
echo "installed layout ok"
