#!/usr/bin/env bash
# Builds the Debian package, installs it on this machine, runs the installed program in a
# fresh home under Xvfb and removes the package again:
#
#   scripts/try-deb.sh [--keep]      (needs root or sudo; --keep leaves the package installed)
#
# What it checks: the first start writes the settings and, for the user, the desktop entry
# and the MIME type of ".tsf"; the sample opens through that association ("gio open");
# F1 in the opened program asks the desktop to open the installed help index (a stand-in
# browser records the request). With xwd and python3 present it also saves a picture of
# the window with the sample as build/deb_trial_open.png.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
keep="${1:-}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
"${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
  xvfb xauth xdotool libglib2.0-bin >/dev/null

cmake --preset release >/dev/null
cmake --build build/release
(cd build/release && cpack -G DEB >/dev/null)
deb="$(ls build/release/tessarin_*_amd64.deb | head -1)"
"${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --reinstall "./$deb" >/dev/null

home="$(mktemp -d)"
cat > "$home/trial.sh" <<'EOS'
#!/usr/bin/env bash
set -u
unset XDG_CONFIG_HOME XDG_DATA_HOME XDG_DATA_DIRS XDG_CURRENT_DESKTOP
export LIBGL_ALWAYS_SOFTWARE=1 QT_QPA_PLATFORM=xcb
mkdir -p "$HOME/.local/share/applications" "$HOME/.config"
printf '#!/bin/sh\necho "$@" >> "$HOME/opened.txt"\n' > "$HOME/recorder.sh"
chmod +x "$HOME/recorder.sh"
printf '[Desktop Entry]\nType=Application\nName=Recorder\nExec=%s %%u\nMimeType=text/html;\n' \
  "$HOME/recorder.sh" > "$HOME/.local/share/applications/recorder.desktop"
printf '[Default Applications]\ntext/html=recorder.desktop\n' > "$HOME/.config/mimeapps.list"

tessarin & pid=$!
sleep 6
kill "$pid"; wait "$pid" 2>/dev/null
test -s "$HOME/.config/Tessarin/Settings.conf" && echo "first start: settings written"
grep -q "^Exec=$(command -v tessarin) %f$" "$HOME/.local/share/applications/tessarin.desktop" &&
  echo "first start: desktop entry written"
test -s "$HOME/.local/share/mime/packages/tessarin.xml" && echo "first start: MIME type written"

cp /usr/share/tessarin/samples/cutter.tsf "$HOME/cutter.tsf"
echo "type of the sample: $(gio info -a standard::content-type "$HOME/cutter.tsf" | sed -n 's/.*content-type: //p')"
gio open "$HOME/cutter.tsf" &
sleep 10
echo "running: $(pgrep -a -x tessarin)"
wid=$(xdotool search --onlyvisible --name Tessarin | head -1)
if command -v xwd >/dev/null && command -v python3 >/dev/null; then
  xwd -id "$wid" -silent > "$HOME/open.xwd"
fi
xdotool mousemove --window "$wid" 400 300
xdotool windowfocus --sync "$wid"
sleep 1
xdotool key F1
sleep 3
echo "F1 opened: $(cat "$HOME/opened.txt" 2>/dev/null)"
pkill -x tessarin
EOS
chmod +x "$home/trial.sh"
HOME="$home" xvfb-run -a -s "-screen 0 1280x900x24" "$home/trial.sh" 2>/dev/null
if [ -s "$home/open.xwd" ]; then
  python3 - "$home/open.xwd" "$root/build/deb_trial_open.png" <<'EOP'
import struct, sys, zlib
data = open(sys.argv[1], 'rb').read()
h = struct.unpack('>25I', data[:100])
width, height, order, line, ncolors = h[4], h[5], h[7], h[12], h[19]
off = h[0] + ncolors * 12
rows = []
for y in range(height):
    row = data[off + y * line: off + y * line + width * 4]
    out = bytearray(b'\x00')
    for x in range(width):
        p = row[4 * x: 4 * x + 4]
        out += bytes((p[2], p[1], p[0])) if order == 0 else bytes((p[1], p[2], p[3]))
    rows.append(bytes(out))
def chunk(t, d): return struct.pack('>I', len(d)) + t + d + struct.pack('>I', zlib.crc32(t + d) & 0xffffffff)
open(sys.argv[2], 'wb').write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, 2, 0, 0, 0))
    + chunk(b'IDAT', zlib.compress(b''.join(rows))) + chunk(b'IEND', b''))
EOP
  echo "picture: build/deb_trial_open.png"
fi
rm -rf "$home"
if [ "$keep" != "--keep" ]; then
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq tessarin >/dev/null
  echo "package removed"
fi
