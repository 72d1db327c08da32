#!/bin/bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Checks a built Debian package: its control data, its contents as a user gets them (unpacked
# and run), and Debian's own checks (lintian: errors fail, warnings are shown).
# Usage: check-package.sh PACKAGE.deb
set -euo pipefail
package=$1
here=$(cd "$(dirname "$0")" && pwd)
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

echo "== $package"
dpkg-deb --info "$package"
echo "== contents"
dpkg-deb --contents "$package"

depends=$(dpkg-deb --field "$package" Depends)
# dpkg-shlibdeps ran: the libraries the programs link are dependencies, with their versions.
for library in libqt6widgets6 libsqlite3-0 libc6 libhidapi-hidraw0 libcurl4 libpulse0; do
    [[ $depends == *"$library"* ]] || fail "Depends lacks $library: $depends"
done
# The file choosers speak the program's language only with Qt's translations installed.
recommends=$(dpkg-deb --field "$package" Recommends)
[[ $recommends == *qt6-translations-l10n* ]] || fail "Recommends lacks Qt's translations: $recommends"
scripts=$(mktemp -d)
root=$(mktemp -d)
trap 'rm -rf "$scripts" "$root"' EXIT
dpkg-deb --control "$package" "$scripts"
for script in postinst postrm; do
    [ -x "$scripts/$script" ] || fail "no executable $script"
done
grep -q 'udevadm control --reload-rules' "$scripts/postinst" || fail "postinst does not reload udev"
# No udev daemon here: the scripts must still succeed, as in a chroot or a container.
[ -S /run/udev/control ] || "$scripts/postinst" configure || fail "postinst fails without udev"

dpkg-deb --extract "$package" "$root"
"$here/../tests/packaging/check_tree.sh" "$root" gui package || fail "the unpacked package"

echo "== lintian"
lintian --fail-on error --tag-display-limit 0 "$package" || fail "lintian reports errors"

if [ "$failures" -ne 0 ]; then
    echo "$failures problem(s) with $package"
    exit 1
fi
echo "$package: complete, lintian without errors"
