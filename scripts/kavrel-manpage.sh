#!/usr/bin/env bash
# The manual page kavrel(1), made from the tool's page docs/kavrel-tool.md so
# that the two never disagree:  kavrel-manpage.sh DOC.md VERSION OUT.1
set -euo pipefail
doc=$1 version=$2 out=$3
mkdir -p "$(dirname "$out")"
{
  printf '.TH KAVREL 1 "" "kavrel %s" "Kavrel"\n' "$version"
  printf '.SH NAME\nkavrel \\- batch analysis of speech sounds with the suite'"'"'s own computations\n'
  printf '.SH SYNOPSIS\n.B kavrel\n.I COMMAND\n[\\fIARGUMENTS\\fR]\n.br\n.B kavrel\n.I COMMAND\n.B \\-\\-help\n.br\n'
  printf '.B kavrel \\-\\-help\n.br\n.B kavrel \\-\\-version\n.SH DESCRIPTION\n'
  awk '
    function inline(s) {
      gsub(/\\/, "\\\\e", s)
      gsub(/-/, "\\-", s)
      # `code` in bold
      while (match(s, /`[^`]*`/)) {
        s = substr(s, 1, RSTART - 1) "\\fB" substr(s, RSTART + 1, RLENGTH - 2) "\\fR" substr(s, RSTART + RLENGTH)
      }
      if (s ~ /^[.'"'"']/) s = "\\&" s
      return s
    }
    /^```/ { code = !code; print (code ? ".PP\n.nf" : ".fi"); next }
    code { line = $0; gsub(/\\/, "\\\\e", line); if (line ~ /^[.'"'"']/) line = "\\&" line; print line; next }
    /^# / { next }
    /^## / { t = substr($0, 4); print ".SH " toupper(t); para = 0; next }
    /^### / { print ".SS " inline(substr($0, 5)); para = 0; next }
    /^[[:space:]]*$/ { para = 0; next }
    { if (!para) { print ".PP"; para = 1 } print inline($0) }
  ' "$doc"
  printf '.SH SEE ALSO\n\\fBkavrel COMMAND \\-\\-help\\fR for the options of one command, with their defaults and ranges.\n'
} > "$out"
