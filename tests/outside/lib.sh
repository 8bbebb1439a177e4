# The outside-in scripts' shared part: the build's Wine environment, a work
# folder removed at the end, the programs started (and ended, whatever
# happens), bounded waits for a window, a title, a process's end or any
# condition, focus and typing, Windows paths, pass/fail and pictures.
# usage, at the top of a script:
#   . "$(dirname "$0")/lib.sh" <script name> <build tree>
# A script with more to undo at the end defines on_exit; one that sources
# another script shares its helpers and failure count.

set -uo pipefail
outside_name=$1
build=$(cd "$2" && pwd)
WENDREL_BUILD=$build
. "$(dirname "${BASH_SOURCE[0]}")/../../tools/wine-env"
out="$build/tests/output"
mkdir -p "$out"
work=$(mktemp -d "/tmp/wendrel-$outside_name.XXXXXX")
pids=()
pid=
failures=0

outside_cleanup() {
    for p in "${pids[@]}" $pid; do kill "$p" 2>/dev/null || true; done
    if declare -F on_exit >/dev/null; then on_exit; fi
    rm -rf "$work"
}
trap outside_cleanup EXIT

fail() { echo "$outside_name: FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "$outside_name: ok: $*"; }

# The script's verdict and exit status.
finish() {
    [ "$failures" -eq 0 ] || { echo "$outside_name: $failures failed"; exit 1; }
    echo "$outside_name: all passed"
    exit 0
}

# A Unix path as Wine's programs see it (drive Z: is the root).
winpath() { echo "Z:${1//\//\\}"; }

# Polls a command every tenth of a second until it succeeds, at most
# <tenths> times: wait_until <tenths> <command> [args...]
wait_until() {
    local tries=$1; shift
    for _ in $(seq 1 "$tries"); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

# The editor and sulki with the data and macro library beside them, in a
# fresh folder of the work folder; its path is printed.
install_copy() {
    local dir="$work/$1"
    mkdir -p "$dir"
    cp "$build/wendrel.exe" "$dir/"
    [ -f "$build/sulki.exe" ] && cp "$build/sulki.exe" "$dir/"
    cp -r "$build/data" "$build/scmlib" "$dir/"
    echo "$dir"
}

# Starts a Windows program in the background: start_program <exe> [args...];
# its process id lands in $started and is ended with the script.
start_program() {
    "$WINE_LOADER" "$@" >/dev/null 2>&1 &
    started=$!
    pids+=("$started")
}

# Starts the editor of a program folder: start_editor <folder> [args...]
start_editor() {
    local dir=$1; shift
    start_program "$dir/wendrel.exe" "$@"
}

# The same in a current folder of the caller's choice:
# start_editor_in <current folder> <program folder> [args...]
start_editor_in() {
    local cwd=$1 dir=$2; shift 2
    (cd "$cwd" && exec "$WINE_LOADER" "$dir/wendrel.exe" "$@") >/dev/null 2>&1 &
    started=$!
    pids+=("$started")
}

# A visible window whose title matches the pattern; its id lands in $window.
visible_window() {
    window=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1)
    [ -n "$window" ]
}
wait_window() { wait_until "${2:-100}" visible_window "$1"; }

# True when no visible window's title matches the pattern.
no_window() { [ -z "$(xdotool search --onlyvisible --name "$1" 2>/dev/null)" ]; }
wait_no_window() { wait_until "${2:-100}" no_window "$1"; }

title_is() { [ "$(xdotool getwindowname "$1" 2>/dev/null)" = "$2" ]; }
wait_title() { wait_until "${3:-50}" title_is "$1" "$2"; }

# Waits until a window has gone (closed or destroyed).
window_gone() { ! xdotool getwindowname "$1" >/dev/null 2>&1; }
wait_window_gone() { wait_until "${2:-50}" window_gone "$1"; }

process_gone() { ! kill -0 "$1" 2>/dev/null; }
wait_gone() { wait_until "${2:-150}" process_gone "$1"; }

# A visible window other than the one given (a question box); its id lands
# in $box.
other_window() {
    local w
    box=
    for w in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
        [ "$w" != "$1" ] && box=$w && return 0
    done
    return 1
}
wait_other_window() { wait_until "${2:-100}" other_window "$1"; }
no_other_window() { ! other_window "$1"; }
wait_no_other_window() { wait_until "${2:-50}" no_other_window "$1"; }

# Gives the window the keyboard. There is no window manager: focus, not
# activate. The first remapped key after focusing is lost unless a key came
# before it, so shift is pressed once.
focus() {
    xdotool windowfocus --sync "$1" 2>/dev/null
    xdotool key shift
}

# Types text into the focused window at a person's pace.
type_text() { xdotool type --delay "${2:-100}" "$1"; }

# Drags with the left button from one point to another in <steps> moves:
# drag <x1> <y1> <x2> <y2> <steps>. The pauses are a person's pace and stay
# fixed: the program must see each move before the next, and nothing it
# shows tells when it has.
drag() {
    local x1=$1 y1=$2 x2=$3 y2=$4 steps=$5 step
    xdotool mousemove "$x1" "$y1"
    sleep 0.2
    xdotool mousedown 1
    for step in $(seq 1 "$steps"); do
        xdotool mousemove $((x1 + (x2 - x1) * step / steps)) $((y1 + (y2 - y1) * step / steps))
        sleep 0.1
    done
    sleep 0.3
    xdotool mouseup 1
}

# Waits until a file holds exactly the bytes of another.
wait_bytes() { wait_until "${3:-30}" cmp -s "$1" "$2"; }

# Waits until a file holds exactly a text (a final line end aside, as
# "$(cat)" reads it): wait_text_is <file> <text> [tenths]
file_text_is() { [ "$(cat "$1" 2>/dev/null)" = "$2" ]; }
wait_text_is() { wait_until "${3:-30}" file_text_is "$1" "$2"; }

# A menu is a window of its own while it is open (a popup without a title).
menu_open() {
    xdotool search --onlyvisible --class '#32768' >/dev/null 2>&1 ||
        xdotool search --onlyvisible --name '^$' >/dev/null 2>&1
}
wait_menu_open() { wait_until "${1:-50}" menu_open; }

# What keys copy to the clipboard, once the program has put it there:
# copied <keys...>. The clipboard first holds a mark of ours, so that the
# text of an earlier copy is never taken for the new one; nothing is printed
# when nothing new came.
clipboard_mark="outside-in: nothing copied yet"
clipboard_text() { timeout 5 xclip -o -selection clipboard 2>/dev/null; }
clipboard_changed() { [ "$(clipboard_text)" != "$clipboard_mark" ]; }
copied() {
    printf '%s' "$clipboard_mark" | xclip -i -selection clipboard >/dev/null 2>&1
    xdotool key "$@"
    wait_until 30 clipboard_changed && clipboard_text | tr -d '\r'
}

# Waits until the screen shows the same picture three times in a row, a
# tenth of a second apart (at most <tries> pictures): the program has
# drawn what the last keys or clicks asked for, however slow the machine.
screen_sum() { import -window root -depth 8 rgb:- 2>/dev/null | md5sum; }
wait_still() {
    local tries=${1:-50} last= now same=0
    for _ in $(seq 1 "$tries"); do
        sleep 0.1
        now=$(screen_sum)
        if [ "$now" = "$last" ]; then
            same=$((same + 1))
            [ "$same" -ge 2 ] && return 0
        else
            same=0
        fi
        last=$now
    done
    return 1
}

# A picture of the whole screen for reviewers: picture <name> (no suffix).
picture() { import -window root "$out/$1.png" 2>/dev/null; }
