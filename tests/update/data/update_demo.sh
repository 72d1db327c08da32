#!/bin/sh
# SPDX-License-Identifier: GPL-2.0-or-later
# Tries the software update end to end without the real server: a loopback HTTPS server with a
# certificate made for this run serves a demo package (version 9.9.9 whose installer only prints
# a line), and the program runs on the virtual keyboard with a copy of its data that names that
# server, trusting the certificate through ZEPHYL_UPDATE_CA_FILE. The user's own data and
# settings are not touched: the program runs in a temporary home.
#
#   update_demo.sh BUILD_DIR [SCENARIO]
set -eu

build=$(cd "$1" && pwd)
scenario=${2:-101:0}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
server=
cleanup() {
    if [ -n "$server" ]; then kill "$server" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

mkdir -p "$work/root" "$work/resources" "$work/home" "$work/package"
openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 1 \
    -subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1 \
    -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null

printf '#!/bin/sh\necho "The demo installer ran in place of a real one."\n' \
    >"$work/package/Keyboard-Software-Setup"
chmod 755 "$work/package/Keyboard-Software-Setup"
python3 -c 'import sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w", zipfile.ZIP_DEFLATED) as z:
    info = zipfile.ZipInfo("Keyboard-Software-Setup")
    info.external_attr = 0o100755 << 16
    z.writestr(info, open(sys.argv[2], "rb").read())' \
    "$work/root/Keyboard-Software-Setup.zip" "$work/package/Keyboard-Software-Setup"
(cd "$work/root" && sha256sum Keyboard-Software-Setup.zip >Keyboard-Software-Setup.zip.sha256)
printf '<?xml version="1.0"?>\n<latest version="9.9.9"/>\n' >"$work/root/latest.xml"

python3 "$here/https_server.py" --root "$work/root" --cert "$work/cert.pem" \
    --key "$work/key.pem" --port-file "$work/port" --log "$work/requests.log" \
    --lifetime 3600 >"$work/server.out" 2>&1 &
server=$!
tries=0
while [ ! -s "$work/port" ]; do
    tries=$((tries + 1))
    if [ "$tries" -gt 100 ]; then
        echo "the demo server did not start:" >&2
        cat "$work/server.out" >&2
        exit 1
    fi
    sleep 0.1
done
port=$(cut -d' ' -f1 "$work/port")

for entry in "$build/bin"/*; do
    [ "$(basename "$entry")" = config.xml ] || ln -s "$entry" "$work/resources/"
done
sed "s|<upgrade url=\"[^\"]*\"|<upgrade url=\"https://127.0.0.1:$port/files/\"|" \
    "$build/bin/config.xml" >"$work/resources/config.xml"

echo "Demo update server: https://127.0.0.1:$port/files/ (version 9.9.9)."
echo "Open the settings page and press the software update button."
HOME="$work/home" XDG_DATA_HOME="$work/home/data" XDG_CONFIG_HOME="$work/home/config" \
    ZEPHYL_RESOURCE_DIR="$work/resources" ZEPHYL_UPDATE_CA_FILE="$work/cert.pem" \
    "$build/bin/zephyl-keyboard-driver" --virtual-keyboard="$scenario"
echo "Requests the server answered:"
cat "$work/requests.log" 2>/dev/null || true
