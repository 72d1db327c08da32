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
# The file choosers speak the program's language only with Qt's translations installed, and
# xdg-open opens the website button's page and the pages and files of key actions.
recommends=$(dpkg-deb --field "$package" Recommends)
for recommended in qt6-translations-l10n xdg-utils; do
    [[ $recommends == *"$recommended"* ]] || fail "Recommends lacks $recommended: $recommends"
done
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
# Informational tags are shown too: the hardening ones are only that, and the programs must
# carry Debian's hardening flags all the same.
lintian_status=0
report=$(lintian --fail-on error --display-info --tag-display-limit 0 "$package") ||
    lintian_status=$?
[ -z "$report" ] || echo "$report"
[ "$lintian_status" -eq 0 ] || fail "lintian reports errors"
hardening=$(grep -oE 'hardening-no-[a-z-]+' <<<"$report" | sort -u | tr '\n' ' ' || true)
[ -z "$hardening" ] || fail "built without hardening flags: $hardening"

if [ "$failures" -ne 0 ]; then
    echo "$failures problem(s) with $package"
    exit 1
fi
echo "$package: complete, lintian without errors"
