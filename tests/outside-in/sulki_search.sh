#!/usr/bin/env bash
# sulki as a person uses it: started with a search text and a folder on its
# command line, Alt+F, the hits read back from the result view (select all,
# copy) and compared with what `wdev grep` prints for the same search; a
# second start ends at once and leaves the first running; Esc closes it and
# its histories are in sulki.ini.
# usage: tests/outside-in/sulki_search.sh BUILD_DIR   (a win32 or win64 build tree)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
WENDREL_BUILD=$(cd "${1:?build tree}" && pwd)
. "$root/tools/wine-env"
timeout 400 "$root/tools/wine-prefix" "$WENDREL_BUILD" >/dev/null

work=$(mktemp -d /tmp/sulki-oi.XXXXXX)
xvfb_pid=
sulki_pid=
cleanup() {
    [ -n "$sulki_pid" ] && kill "$sulki_pid" 2>/dev/null || true
    timeout 30 "$WINESERVER" -k >/dev/null 2>&1 || true
    if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "sulki_search: $*" >&2; exit 1; }
winpath() { echo "Z:$1" | tr / '\\'; }

# A program folder of its own (sulki.ini is made beside the program), and a
# tree with the word in lines of UTF-8, Shift_JIS, EUC-JP and UTF-16LE text.
mkdir -p "$work/prog" "$work/tree/sub"
cp "$WENDREL_BUILD/sulki.exe" "$work/prog/"
printf 'first\n\xe6\xa4\x9c\xe7\xb4\xa2 zelkova \xe3\x81\xa7\xe3\x81\x99\nZELKOVA upper\n' > "$work/tree/utf8.txt"
printf '\x82\xb1\x82\xea\x82\xcd zelkova \x82\xc5\x82\xb7\r\nno\r\n' > "$work/tree/sjis.txt"
printf 'x\n\xa4\xb3\xa4\xec\xa4\xcf zelkova\n' > "$work/tree/euc.log"
printf '\xff\xfez\x00e\x00l\x00k\x00o\x00v\x00a\x00\n\x00' > "$work/tree/utf16.txt"
printf 'zelkova in a file no mask takes\n' > "$work/tree/skip.bin"
printf 'zelkova below\n' > "$work/tree/sub/deep.txt"
tree=$(winpath "$work/tree")

display=
for n in $(seq 141 190); do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then display=$n; break; fi
done
[ -n "$display" ] || fail "no free X display"
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 100); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
export DISPLAY=":$display"

# What the engine prints for the same search (sulki's defaults: case and
# width not distinguished, no sub-folders, the first file-type entry).
masks='*.txt;*.htm;*.html;*.c;*.cpp;*.h;*.java;*.pl;*.cgi;*.sql;*.ora;*.log'
timeout 60 "$WINE_LOADER" "$WENDREL_BUILD/tools/wdev/wdev.exe" grep --icase --iwidth --masks "$masks" zelkova "$tree" \
    | tr -d '\r' > "$work/expected.txt" || fail "wdev grep failed"
grep -q '5個，検索されました。' "$work/expected.txt" || fail "unexpected wdev output: $(cat "$work/expected.txt")"

# Polls a command (bounded).
wait_for() {
    local tries=$1; shift
    for _ in $(seq 1 "$tries"); do "$@" && return 0; sleep 0.2; done
    return 1
}
find_dialog() { xdotool search --onlyvisible --name '^sulki$' 2>/dev/null | head -1; }
have_dialog() { [ -n "$(find_dialog)" ]; }

(cd "$work/prog" && exec "$WINE_LOADER" ./sulki.exe zelkova /d "$tree") >/dev/null 2>&1 &
sulki_pid=$!
wait_for 150 have_dialog || fail "the dialog did not show"
dlg=$(find_dialog)
xdotool windowfocus --sync "$dlg"
xdotool key alt+f

# Reads the result view through the clipboard, as a user copying it would.
read_view() {
    eval "$(xdotool getwindowgeometry --shell "$dlg")"
    xdotool mousemove $((X + 150)) $((Y + HEIGHT - 40)) click 1
    xdotool key ctrl+a ctrl+c
    sleep 0.2
    timeout 5 xclip -o -selection clipboard 2>/dev/null | tr -d '\r' > "$work/shown.txt" || true
    grep -q '個，検索されました。' "$work/shown.txt"
}
wait_for 100 read_view || fail "no results shown: $(cat "$work/shown.txt")"
# The view ends with the closing line's line end; the engine's output too.
diff <(sed -e '$a\' "$work/expected.txt") <(sed -e '$a\' "$work/shown.txt") \
    || fail "the result view differs from wdev grep"

mkdir -p "$WENDREL_BUILD/tests/output"
xdotool mousemove $((X + 150)) $((Y + HEIGHT - 40)) click 1  # the selection off, for the picture
sleep 0.3
import -window root "$WENDREL_BUILD/tests/output/sulki_results.png" 2>/dev/null || true

# A second start ends at once, leaving the first as it was.
(cd "$work/prog" && timeout 30 "$WINE_LOADER" ./sulki.exe other /d "C:\\") >/dev/null 2>&1 \
    || fail "the second start did not end by itself"
kill -0 "$sulki_pid" 2>/dev/null || fail "the first sulki ended"
[ "$(find_dialog)" = "$dlg" ] || fail "the first dialog is gone"

# Esc in the search field closes; the search is in the history.
eval "$(xdotool getwindowgeometry --shell "$dlg")"
xdotool mousemove $((X + 250)) $((Y + 20)) click 1
xdotool key Escape
gone() { ! kill -0 "$sulki_pid" 2>/dev/null; }
wait_for 100 gone || fail "Esc did not close sulki"
sulki_pid=
iconv -f UTF-16 -t UTF-8 "$work/prog/sulki.ini" | tr -d '\r' > "$work/ini.txt"
grep -qx '0=zelkova' "$work/ini.txt" || fail "search text not in the history: $(cat "$work/ini.txt")"
grep -qxF "0=$tree" "$work/ini.txt" || fail "folder not in the history: $(cat "$work/ini.txt")"
echo "sulki_search: passed"
