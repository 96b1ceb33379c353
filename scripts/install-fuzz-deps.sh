#!/usr/bin/env bash
# What `make fuzz` needs on top of the normal build: clang and its libFuzzer
# runtime (Debian 12 ships it in libclang-rt-14-dev). Only what is missing,
# through sudo when not root.
set -euo pipefail

bash "$(dirname "$0")/install-deps.sh" fuzz

# clang may be there without the runtime of the clang it runs: check the pair.
probe=$(mktemp -d)
trap 'rm -rf "$probe"' EXIT
printf 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char *, unsigned long) { return 0; }\n' \
  > "$probe/probe.cpp"
if ! clang++ -fsanitize=fuzzer,address,undefined "$probe/probe.cpp" -o "$probe/probe" 2> "$probe/log"; then
  cat "$probe/log" >&2
  echo "clang++ cannot link a libFuzzer target; its libclang-rt package is missing" >&2
  exit 1
fi
