#!/usr/bin/env bash
# Builds the Debian package and checks it as a shop's installer would meet it: the
# control data, the files it installs, the desktop entry and AppStream data, and the
# program started from the unpacked package finding its language modules.
set -euo pipefail
cd "$(dirname "$0")/.."
deb=$(scripts/package.sh | tail -n 1)
echo "Checking $deb"

fail() { echo "package check failed: $*" >&2; exit 1; }

info=$(dpkg-deb --info "$deb")
for field in "Package: kalvora-tools" "Architecture: amd64" "Depends: " "libqt6widgets6" "qt6-qpa-plugins" "zlib1g"; do
    grep -q "$field" <<<"$info" || fail "control data lacks '$field'"
done

contents=$(dpkg-deb --contents "$deb" | awk '{print $6}')
expected=(
    ./usr/bin/kalvora-tools
    ./usr/lib/kalvora-tools/Kalvora_Tools
    ./usr/lib/kalvora-tools/Kalvora_Tools_de_de.lang
    ./usr/lib/kalvora-tools/Kalvora_Tools_en_us.lang
    ./usr/lib/kalvora-tools/libKalvora_Tools_Network.so
    ./usr/lib/kalvora-tools/libKalvora_Tools_Print.so
    ./usr/share/applications/com.venmark.KalvoraTools.desktop
    ./usr/share/metainfo/com.venmark.KalvoraTools.metainfo.xml
    ./usr/share/icons/hicolor/scalable/apps/com.venmark.KalvoraTools.svg
    ./usr/share/icons/hicolor/48x48/apps/com.venmark.KalvoraTools.png
    ./usr/share/icons/hicolor/256x256/apps/com.venmark.KalvoraTools.png
)
if grep -q '^add_library(Kalvora_Tools_Calculations_Common_x86' -r src 2>/dev/null; then
    expected+=(./usr/lib/kalvora-tools/libKalvora_Tools_Calculations_Common_x86.so)
fi
for path in "${expected[@]}"; do
    grep -qxF "$path" <<<"$contents" || fail "package lacks $path"
done

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/com.venmark.KalvoraTools.desktop"
appstreamcli validate --no-net --pedantic "$root/usr/share/metainfo/com.venmark.KalvoraTools.metainfo.xml"

# Started through the link in bin, as the menu entry does, with an empty profile.
export HOME="$root/home" XDG_CONFIG_HOME="$root/home/.config" XDG_DATA_HOME="$root/home/.local/share"
mkdir -p "$HOME"
QT_QPA_PLATFORM=offscreen "$root/usr/bin/kalvora-tools" --check-installation \
    || fail "the unpacked program does not find its files"
echo "package check passed"
