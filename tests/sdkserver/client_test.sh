#!/bin/sh
# SPDX-License-Identifier: GPL-2.0-or-later
# The SDK server against an independent client: installs the openrgb-sdk package from the
# committed lockfile into the build folder, starts `zephylctl sdk-server` on the virtual
# keyboard and lets client/check.js list the controller, read its LEDs and set colours that
# must arrive in the virtual keyboard's report log.
# Usage: client_test.sh ZEPHYLCTL CLIENT_SOURCE_DIR CLIENT_BUILD_DIR
set -u
zephylctl=$1
source_dir=$2
client_dir=$3

mkdir -p "$client_dir"
cp "$source_dir/package.json" "$source_dir/package-lock.json" "$source_dir/check.js" "$client_dir/"
if [ ! -d "$client_dir/node_modules/openrgb-sdk" ]; then
    if ! command -v npm >/dev/null 2>&1 || \
        ! npm ci --prefix "$client_dir" --no-audit --no-fund >"$client_dir/npm.log" 2>&1; then
        cat "$client_dir/npm.log" 2>/dev/null
        if [ -n "${CI:-}" ]; then
            echo "FAIL: the openrgb-sdk client could not be installed from the npm registry"
            exit 1
        fi
        echo "SKIPPED: the openrgb-sdk client could not be installed (no npm or no registry)"
        exit 77
    fi
fi

work=$(mktemp -d)
server_pid=""
cleanup() {
    if [ -n "$server_pid" ]; then
        kill "$server_pid" 2>/dev/null
        wait "$server_pid" 2>/dev/null
    fi
    rm -rf "$work"
}
trap cleanup EXIT
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
export ZEPHYL_VIRTUAL_LOG="$work/reports.jsonl"
unset ZEPHYL_VIRTUAL_STATE

"$zephylctl" --virtual-keyboard=101:0 sdk-server --port 0 >"$work/server.out" 2>"$work/server.err" &
server_pid=$!
port=""
for _ in $(seq 1 100); do
    port=$(sed -n 's/^SDK server listening on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$work/server.out")
    [ -n "$port" ] && break
    kill -0 "$server_pid" 2>/dev/null || break
    sleep 0.1
done
if [ -z "$port" ]; then
    echo "FAIL: zephylctl sdk-server did not say where it listens"
    cat "$work/server.out" "$work/server.err"
    exit 1
fi

node "$client_dir/check.js" "$port" "$ZEPHYL_VIRTUAL_LOG" "$client_dir/node_modules"
result=$?

# SIGTERM ends the server cleanly.
kill -TERM "$server_pid"
wait "$server_pid"
status=$?
server_pid=""
if [ "$status" -ne 0 ]; then
    echo "FAIL: zephylctl sdk-server exited with $status on SIGTERM"
    cat "$work/server.err"
    exit 1
fi
grep -q "SDK server stopped" "$work/server.out" || { echo "FAIL: no clean stop"; exit 1; }
exit $result
