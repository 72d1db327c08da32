#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# `make soak`: malformed pictures and exchange files under an address-space limit, the kill loop
# and the fault matrix against the virtual keyboard (tools/soak.py), then the import and picture
# fuzz targets for a bounded number of runs when clang's libFuzzer is there.
set -euo pipefail
build="${1:-build}"
kills="${SOAK_KILLS:-500}"
runs="${SOAK_FUZZ_RUNS:-20000}"
cd "$(dirname "$0")/.."
python3 tools/soak.py "$build" --kills "$kills"
if command -v clang++ >/dev/null && clang++ -fsanitize=fuzzer -x c++ -o /dev/null - \
        <<<'extern "C" int LLVMFuzzerTestOneInput(const char*, unsigned long) { return 0; }' \
        2>/dev/null; then
    sources=$(ls src/keys/{KeyExchange,MacroExchange,ImportChecks,AssignmentKinds,KeyCodes}.cpp \
        src/lighting/{CustomLightExchange,UserLight}.cpp \
        src/store/*.cpp src/xml/*.cpp src/text/*.cpp src/platform/*.cpp src/catalogue/*.cpp \
        src/protocol/*.cpp | grep -v GenerateUdevRules)
    clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -I src fuzz/import_fuzz.cpp \
        $sources -lsqlite3 -lpthread -o "$build/import_fuzz"
    "$build/import_fuzz" -runs="$runs" -max_len=65536
    # Pictures: seeded with the malformed files, each input held to the decoder's budget: a
    # single allocation past 100 MB fails the run. The sanitizer's quarantine of freed memory
    # is kept small so that the process's size says what the inputs take.
    clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -I src fuzz/picture_fuzz.cpp \
        src/screen/Picture.cpp src/screen/GifCodec.cpp src/platform/FileSystem.cpp \
        -lpng -ljpeg -lgif -o "$build/picture_fuzz"
    seeds="$build/picture_fuzz_seeds"
    corpus="$build/picture_fuzz_corpus"
    rm -rf "$seeds"
    mkdir -p "$corpus"
    python3 tools/malformed_files.py "$seeds" >/dev/null
    rm -f "$seeds"/*.xml
    ASAN_OPTIONS="quarantine_size_mb=32${ASAN_OPTIONS:+:$ASAN_OPTIONS}" "$build/picture_fuzz" \
        -runs="$runs" -max_len=65536 -malloc_limit_mb=100 -rss_limit_mb=1024 -timeout=20 \
        "$corpus" "$seeds"
else
    echo "soak: clang with libFuzzer not found; the fuzz targets were not run" >&2
fi
