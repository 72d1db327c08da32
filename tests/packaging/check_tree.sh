#!/bin/bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Checks an installed tree below ROOT (a DESTDIR staging folder or an unpacked package) as a
# user would meet it: the files where the system looks for them, and the programs running from
# there with nothing of the build tree in reach.
# Usage: check_tree.sh ROOT gui|nogui plain|package
set -euo pipefail
root=$1 gui=$2 kind=$3
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

required=(
    usr/bin/zephylctl
    usr/share/zephyl-keyboard-driver/config.xml
    usr/share/zephyl-keyboard-driver/language/1033.lan
    usr/lib/udev/rules.d/70-zephyl-keyboard.rules
    usr/share/man/man1/zephylctl.1.gz
    usr/share/bash-completion/completions/zephylctl
)
if [ "$gui" = gui ]; then
    required+=(
        usr/bin/zephyl-keyboard-driver
        usr/share/man/man1/zephyl-keyboard-driver.1.gz
        usr/share/applications/io.github.zephyl.KeyboardDriver.desktop
        usr/share/metainfo/io.github.zephyl.KeyboardDriver.metainfo.xml
        usr/share/icons/hicolor/48x48/apps/zephyl-keyboard-driver.png
        usr/share/icons/hicolor/128x128/apps/zephyl-keyboard-driver.png
    )
fi
# Only the package says the distribution updates the program; a hand-made install does not.
if [ "$kind" = package ]; then
    required+=(
        usr/share/zephyl-keyboard-driver/distribution-package
        usr/share/doc/zephyl-keyboard-driver/copyright
        usr/share/doc/zephyl-keyboard-driver/changelog.gz
    )
    absent=()
else
    absent=(usr/share/zephyl-keyboard-driver/distribution-package)
fi
# The drawing scripts of the skin and the animations are sources, not program data.
absent+=(usr/share/zephyl-keyboard-driver/skins/tools usr/share/zephyl-keyboard-driver/gif/tools)
for path in "${required[@]}"; do
    [ -e "$root/$path" ] || fail "missing $path"
done
for path in "${absent[@]}"; do
    [ ! -e "$root/$path" ] || fail "unexpected $path"
done
[ -n "$(find "$root/usr/lib" -name libzephyl-virtual-hid.so -path '*/zephyl-keyboard-driver/*')" ] \
    || fail "libzephyl-virtual-hid.so is not in a private folder below usr/lib"

# The programs run from the tree in a clean environment: they find their data and the virtual
# keyboard from where they are, not from the build tree or a variable.
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
# A sanitizer build keeps its options (suppressions) and nothing else.
kept=()
for name in ASAN_OPTIONS LSAN_OPTIONS UBSAN_OPTIONS TSAN_OPTIONS; do
    [ -z "${!name:-}" ] || kept+=("$name=${!name}")
done
run() {
    (cd "$home" && env -i "${kept[@]}" HOME="$home" XDG_DATA_HOME="$home/data" \
        XDG_CONFIG_HOME="$home/config" XDG_RUNTIME_DIR="$home" PATH=/usr/bin:/bin "$@")
}
if ! help=$(run "$root/usr/bin/zephylctl" --help) || [[ $help != "Usage: zephylctl"* ]]; then
    fail "zephylctl --help: $help"
fi
if ! devices=$(run "$root/usr/bin/zephylctl" --virtual-keyboard=101:0 --json devices 2>&1) ||
    [[ $devices != *'"model":101'*'"active":"cable"'* ]]; then
    fail "zephylctl devices on the virtual keyboard: $devices"
fi
if [ "$kind" = package ]; then
    if ! update=$(run "$root/usr/bin/zephylctl" --virtual-keyboard=101:0 --json update check 2>&1) ||
        [[ $update != *'"state":"distribution"'* ]]; then
        fail "the packaged program's update check does not leave updates to the distribution: $update"
    fi
fi
if [ "$gui" = gui ]; then
    if ! help=$(run "$root/usr/bin/zephyl-keyboard-driver" --help) ||
        [[ $help != "Usage: zephyl-keyboard-driver"* ]]; then
        fail "zephyl-keyboard-driver --help: $help"
    fi
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures problem(s) in the tree below $root"
    exit 1
fi
echo "installed tree below $root: complete"
