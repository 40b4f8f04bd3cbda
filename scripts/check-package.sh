#!/usr/bin/env bash
# Builds the Debian package from build/ (already built) and checks it: the desktop entry and the
# AppStream metainfo validate, the package holds everything a desktop needs and the command
# line's completions and JSON schema, and its dependencies come from the shared libraries the
# programs use.
set -euo pipefail
cd "$(dirname "$0")/.."
desktop-file-validate data/radiomodem.desktop
appstreamcli validate --no-net --pedantic data/org.radiomodem.radiomodem.metainfo.xml >/dev/null

rm -f build/radiomodem_*.deb
if ! log=$(cd build && cpack -G DEB 2>&1); then
    echo "$log" >&2
    exit 1
fi
debs=(build/radiomodem_*.deb)
deb=${debs[0]}
files=$(dpkg-deb -c "$deb" | awk '{print $6}')
expected=(./usr/bin/radiomodem ./usr/bin/radiomodem-cli ./usr/bin/radiomodem-sim
    ./usr/share/applications/radiomodem.desktop
    ./usr/share/metainfo/org.radiomodem.radiomodem.metainfo.xml
    ./usr/share/icons/hicolor/scalable/apps/radiomodem.svg
    ./usr/share/man/man1/radiomodem.1.gz ./usr/share/man/man1/radiomodem-sim.1.gz
    ./usr/share/man/man1/radiomodem-cli.1.gz
    ./usr/share/radiomodem/manual.en.md ./usr/share/radiomodem/manual.zh.md
    ./usr/share/radiomodem/radiomodem-cli.schema.json
    ./usr/share/bash-completion/completions/radiomodem-cli
    ./usr/share/zsh/vendor-completions/_radiomodem-cli)
for size in 16 22 24 32 48 64 128 256; do
    expected+=("./usr/share/icons/hicolor/${size}x${size}/apps/radiomodem.png")
done
missing=0
for file in "${expected[@]}"; do
    if ! grep -qxF "$file" <<<"$files"; then
        echo "$deb lacks $file" >&2
        missing=1
    fi
done
depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6widgets6 libc6 qt6-qpa-plugins; do
    if ! grep -q "$library" <<<"$depends"; then
        echo "$deb does not depend on $library: $depends" >&2
        missing=1
    fi
done
[ "$missing" -eq 0 ]
echo "$deb: $(wc -l <<<"$files") entries; Depends: $depends"
