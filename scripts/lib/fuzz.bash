# Shared by scripts/fuzz and scripts/test: runs the libFuzzer programs of the fuzz preset. The build
# lists them in build/fuzz/fuzz-targets.txt (tests/native/FuzzTargets.cmake), one line each: name,
# program, dictionary, seed extensions, seed folders (separated by ":") and findings folder, the
# fields separated by "|".
# Source it with $top set to the repository root.
: "${top:?set top to the repository root before sourcing fuzz.bash}"

FUZZ_MANIFEST=$top/build/fuzz/fuzz-targets.txt
# Where the inputs of a run's findings are copied, one folder per target; kept across runs.
FUZZ_FINDINGS=$top/build/fuzz-findings
# A single input that runs this long counts as a hang.
FUZZ_TIMEOUT=30
# Counted by RunFuzzTargets: targets without and with a finding.
fuzz_clean=0
fuzz_found=0
fuzz_pids=()

# FuzzTargetNames [INCLUDE_REGEX [EXCLUDE_REGEX]]: the targets' names, in the build's order;
# the expressions are matched against "fuzz_NAME".
FuzzTargetNames() {
  local name
  while IFS='|' read -r name _; do
    [ -n "${1:-}" ] && ! [[ fuzz_$name =~ $1 ]] && continue
    [ -n "${2:-}" ] && [[ fuzz_$name =~ $2 ]] && continue
    echo "$name"
  done <"$FUZZ_MANIFEST"
}

# CopySeeds FOLDER EXTENSIONS CORPUS: copies the files of FOLDER and below (those ending in one of
# the space-separated EXTENSIONS, when there are any; never a README.md) into CORPUS, each named
# after its SHA-1 as libFuzzer names its own, so equal files are kept once. Prints the count.
CopySeeds() {
  local folder=$1 extensions=$2 corpus=$3 file ext count=0 keep
  [ -d "$folder" ] || {
    echo 0
    return
  }
  while IFS= read -r -d '' file; do
    keep=1
    if [ -n "$extensions" ]; then
      keep=0
      for ext in $extensions; do
        [[ $file == *"$ext" ]] && keep=1
      done
    fi
    [ $keep -eq 1 ] || continue
    cp "$file" "$corpus/$(sha1sum <"$file" | cut -c1-40)"
    count=$((count + 1))
  done < <(find "$folder" -type f ! -name README.md -print0)
  echo "$count"
}

# RunFuzzTarget NAME SECONDS ROOT: one fuzzing run of NAME in ROOT/NAME, made afresh: a copy of the
# program (so that a build during the run does not change it), the working corpus with the seeds
# and committed findings copied in, the findings and the log. Writes the exit status to
# ROOT/NAME/status.
RunFuzzTarget() {
  local name=$1 seconds=$2 dir=$3/$1
  local line program dict extensions seeds findings folder seeded=0
  line=$(awk -F'|' -v n="$name" '$1 == n' "$FUZZ_MANIFEST")
  IFS='|' read -r _ program dict extensions seeds findings <<<"$line"
  rm -rf "$dir"
  mkdir -p "$dir/corpus" "$dir/findings"
  cp "$program" "$dir/fuzz_$name"
  local folders
  IFS=: read -ra folders <<<"$seeds"
  for folder in "${folders[@]}"; do
    seeded=$((seeded + $(CopySeeds "$folder" "$extensions" "$dir/corpus")))
  done
  seeded=$((seeded + $(CopySeeds "$findings" "" "$dir/corpus")))
  echo "$seeded" >"$dir/seeds"
  local args=(-max_total_time="$seconds" -timeout="$FUZZ_TIMEOUT" -rss_limit_mb=2048
    -print_final_stats=1 -artifact_prefix="$dir/findings/")
  [ -n "$dict" ] && [ -f "$dict" ] && args+=(-dict="$dict")
  UBSAN_OPTIONS=print_stacktrace=1 "$dir/fuzz_$name" "${args[@]}" "$dir/corpus" \
    </dev/null >"$dir/log" 2>&1
  echo $? >"$dir/status"
}

# ReportFuzzTarget NAME ROOT: one line on the run of NAME: executions, the coverage at the end
# (libFuzzer's "cov", the edges reached, and "ft", the features), the corpus, and each finding,
# whose input is copied to build/fuzz-findings/NAME/. Returns non-zero on a finding, or when the
# program failed without one.
ReportFuzzTarget() {
  local name=$1 dir=$2/$1
  local runs cov ft corpus status last file found=()
  runs=$(sed -nE 's/^stat::number_of_executed_units: *([0-9]+).*/\1/p' "$dir/log" | tail -n 1)
  last=$(grep -E '^#[0-9]+.*cov: ' "$dir/log" | tail -n 1)
  cov=$(sed -nE 's/.* cov: ([0-9]+).*/\1/p' <<<"$last")
  ft=$(sed -nE 's/.* ft: ([0-9]+).*/\1/p' <<<"$last")
  corpus=$(sed -nE 's/.* corp: ([0-9]+).*/\1/p' <<<"$last")
  status=$(cat "$dir/status" 2>/dev/null || echo '?')
  printf '  %-12s %11s runs  cov %6s  ft %7s  corpus %5s (from %s seeds)' "$name" "${runs:-?}" \
    "${cov:-?}" "${ft:-?}" "${corpus:-?}" "$(cat "$dir/seeds" 2>/dev/null || echo '?')"
  for file in "$dir"/findings/{crash,leak,timeout,oom}-*; do
    [ -f "$file" ] || continue
    mkdir -p "$FUZZ_FINDINGS/$name"
    cp "$file" "$FUZZ_FINDINGS/$name/"
    found+=("${FUZZ_FINDINGS#"$top"/}/$name/$(basename "$file")")
  done
  if [ ${#found[@]} -gt 0 ]; then
    echo "  FINDING"
    grep -m 3 -E '^(SUMMARY|==[0-9]+==ERROR|.*runtime error)' "$dir/log" | sed 's/^/      /'
    printf '      input: %s\n' "${found[@]}"
    echo "      log: ${dir#"$top"/}/log"
    return 1
  fi
  if [ "$status" != 0 ]; then
    echo "  FAILED: exit status $status without a finding (log: ${dir#"$top"/}/log)"
    tail -n 5 "$dir/log" | sed 's/^/      /'
    return 1
  fi
  echo "  no finding"
}

StopFuzzTargets() {
  local pid
  for pid in "${fuzz_pids[@]}"; do
    pkill -P "$pid" 2>/dev/null || true
    kill "$pid" 2>/dev/null || true
  done
  fuzz_pids=()
}

# RunFuzzTargets SECONDS ROOT NAME...: runs the targets for SECONDS each, two at a time (one per
# core), then reports each; counts them in fuzz_clean and fuzz_found. Returns non-zero when any
# target had a finding or failed.
RunFuzzTargets() {
  local seconds=$1 root=$2 name pid lock
  shift 2
  mkdir -p "$root"
  # Runs made afresh in ROOT: a second run there at the same time would delete this one's files.
  exec {lock}>"$root.lock"
  if ! flock -n "$lock"; then
    echo "another fuzzing run is using ${root#"$top"/}; not started"
    exec {lock}>&-
    fuzz_found=$((fuzz_found + $#))
    return 1
  fi
  fuzz_pids=()
  for name in "$@"; do
    if [ ${#fuzz_pids[@]} -ge 2 ]; then
      wait -n "${fuzz_pids[@]}" 2>/dev/null || true
      local alive=()
      for pid in "${fuzz_pids[@]}"; do
        kill -0 "$pid" 2>/dev/null && alive+=("$pid")
      done
      fuzz_pids=("${alive[@]}")
    fi
    echo "fuzzing $name for ${seconds}s"
    RunFuzzTarget "$name" "$seconds" "$root" &
    fuzz_pids+=($!)
  done
  wait "${fuzz_pids[@]}" 2>/dev/null
  fuzz_pids=()
  echo "fuzzing results (${seconds}s each; working corpora and logs in ${root#"$top"/}):"
  local rc=0
  for name in "$@"; do
    if ReportFuzzTarget "$name" "$root"; then
      fuzz_clean=$((fuzz_clean + 1))
    else
      fuzz_found=$((fuzz_found + 1))
      rc=1
    fi
  done
  exec {lock}>&-
  return $rc
}
