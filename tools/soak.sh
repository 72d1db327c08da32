#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# `make soak`: the kill loop and the fault matrix against the virtual keyboard (tools/soak.py),
# then the import fuzz target for a bounded number of runs when clang's libFuzzer is there.
set -euo pipefail
build="${1:-build}"
kills="${SOAK_KILLS:-500}"
cd "$(dirname "$0")/.."
python3 tools/soak.py "$build" --kills "$kills"
if command -v clang++ >/dev/null && clang++ -fsanitize=fuzzer -x c++ -o /dev/null - \
        <<<'extern "C" int LLVMFuzzerTestOneInput(const char*, unsigned long) { return 0; }' \
        2>/dev/null; then
    sources=$(ls src/keys/{KeyExchange,MacroExchange,ImportChecks,AssignmentKinds,KeyCodes}.cpp \
        src/store/*.cpp src/xml/*.cpp src/text/*.cpp src/platform/*.cpp src/catalogue/*.cpp \
        src/protocol/*.cpp | grep -v GenerateUdevRules)
    clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -I src fuzz/import_fuzz.cpp \
        $sources -lsqlite3 -lpthread -o "$build/import_fuzz"
    "$build/import_fuzz" -runs="${SOAK_FUZZ_RUNS:-20000}" -max_len=65536
else
    echo "soak: clang with libFuzzer not found; the import fuzz target was not run" >&2
fi
