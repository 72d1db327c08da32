#!/bin/bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Installs the build into a staging folder below /usr, as a package would, and checks the tree.
# Usage: installed_tree.sh BUILD_DIR gui|nogui
set -euo pipefail
here=$(dirname "$0")
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
DESTDIR=$stage cmake --install "$1" --prefix /usr >/dev/null
"$here/check_tree.sh" "$stage" "$2" plain
