#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for SECONDS seconds
# (default 30), seeded from examples/ and the corpus of real metafiles when
# present (MV_CORPUS_DIR, default ../shared/corpus).
# Exits non-zero on any finding; the input is kept in build-fuzz/findings/
# and belongs, once mended, under tests/fuzz/regressions/TARGET/.
#
#   tools/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
bash tools/install-deps.sh --fuzz

build=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMV_FUZZ=ON \
  -DMV_BUILD_TESTS=OFF -DMV_BUILD_BENCH=OFF -DMV_BUILD_GUI=OFF >/dev/null
if ! cmake --build "$build" -j"$(nproc)" --target fuzz_Convert fuzz_WhiteMask fuzz_Project fuzz_Dib \
    >"$build/build.log" 2>&1; then
  tail -n 40 "$build/build.log"
  exit 1
fi

# Seeds: the example and corpus metafiles small enough to mutate quickly
# (inputs are kept this short, so that a run makes thousands a second).
maxlen=16384
seeds="$build/seeds"
rm -rf "$seeds"
mkdir -p "$seeds/metafile" "$seeds/convert" "$seeds/project" "$seeds/dib" "$build/findings"
corpus="${MV_CORPUS_DIR:-../shared/corpus}"
for f in examples/*.emf examples/*.wmf "$corpus"/emf/*.emf "$corpus"/wmf/*.wmf; do
  [ -f "$f" ] && [ "$(stat -c %s "$f")" -le "$maxlen" ] || continue
  name="$(basename "$f")"
  cp "$f" "$seeds/metafile/$name"
  # The conversion target reads its switches from the first byte.
  { printf '\000'; cat "$f"; } >"$seeds/convert/0-$name"
  { printf '\005'; cat "$f"; } >"$seeds/convert/5-$name"
done
counted() { printf "\\$(printf %03o $(($1 & 255)))\\000\\000\\000"; printf %s "$2"; }
{ printf 'Tarvold Metrovane 1.0\002\000\000\000'; counted 10 /a/pl.emf; counted 5 b.wmf
  counted 4 /out; printf '\001\000\001\000'; } >"$seeds/project/two"
{ printf 'Tarvold Metrovane 1.0\000\000\000\000'; counted 0 ''; printf '\000\001\001\001'; } >"$seeds/project/empty"
# Bitmaps: an 8-bit run-length stream after its header, a packed monochrome one.
zeros16='\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0'
printf "\0\012(\0\0\0\04\0\0\0\02\0\0\0\01\0\010\0\01\0\0\0\0\0\0\0$zeros16\03\05\0\0\02\07\0\01" \
  >"$seeds/dib/rle8"
printf "\010\0(\0\0\0\02\0\0\0\02\0\0\0\01\0\01\0\0\0\0\0\0\0\0\0$zeros16\0\0\0\0\377\377\377\0\0100\0\0\0\0200\0\0\0" \
  >"$seeds/dib/mono"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
failed=0
run() { # target seed-folder
  local target="$1" corpus="$build/corpus/$1"
  mkdir -p "$corpus"
  echo "== fuzz_$target for ${seconds}s"
  if "$build/fuzz_$target" -max_total_time="$seconds" -max_len="$maxlen" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$build/findings/$target-" "$corpus" "$2" \
      >"$build/fuzz_$target.log" 2>&1; then
    grep -E '^stat::(number_of_executed_units|average_exec_per_sec)' "$build/fuzz_$target.log" || true
  else
    failed=1
    tail -n 40 "$build/fuzz_$target.log"
    echo "fuzz_$target: FINDING (see $build/findings/)"
  fi
}
run Convert "$seeds/convert"
run WhiteMask "$seeds/metafile"
run Project "$seeds/project"
run Dib "$seeds/dib"
exit "$failed"
