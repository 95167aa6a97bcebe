#!/usr/bin/env bash
# Runs every harness of FUZZ_BUILD for SECONDS, each from the seeds the
# batch tool makes: run-fuzzers.sh KAVREL_TOOL FUZZ_BUILD SECONDS [HARNESS...]
# A finding stops that harness; its input is kept in FUZZ_BUILD/findings/
# and the run fails once all have run. Each harness's number of executed
# inputs is printed at its end (stat::number_of_executed_units).
set -uo pipefail
tool=$1 build=$(realpath "$2") seconds=$3
shift 3
harnesses=("$@")
[ ${#harnesses[@]} -eq 0 ] && harnesses=(riff wave pelmora_wave film_record tbx gsr vrn textgrid)
here=$(dirname "$(realpath "$0")")

bash "$here/make-seeds.sh" "$tool" "$build" || exit 1
mkdir -p "$build/findings" "$build/fuzz-tmp"
export TMPDIR=$build/fuzz-tmp
export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export KAVREL_AUDIO=virtual
# The harnesses' own libraries, also when the build was copied elsewhere to run.
export LD_LIBRARY_PATH=$build/lib${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}
export KAVREL_FUZZ_KFW=$build/seed-work/object.kfw

failed=()
for h in "${harnesses[@]}"; do
  corpus=$build/corpus/$h
  mkdir -p "$corpus"
  log=$build/findings/$h.log
  echo "== fuzz_$h, $seconds s"
  "$build/bin/fuzz_$h" -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
    -malloc_limit_mb=1024 -print_final_stats=1 -close_fd_mask=1 \
    -artifact_prefix="$build/findings/$h-" "$corpus" "$build/seeds/$h" > "$log" 2>&1
  status=$?
  grep -E '^stat::number_of_executed_units|^#[0-9]+ +DONE' "$log" | tail -2
  if [ $status -ne 0 ]; then
    failed+=("$h")
    echo "fuzz_$h: finding (status $status), see $log"
    grep -E 'ERROR|SUMMARY|Более|runtime error|Test unit written' "$log" | head -5
  fi
done
if [ ${#failed[@]} -ne 0 ]; then
  echo "fuzz: findings in ${failed[*]}"
  exit 1
fi
echo "fuzz: no findings"
