#!/usr/bin/env bash
# The harness's answers to bad input and lossy conversions, as the checks
# outside the unit tests see them: exit codes and the lines on stderr.
# Usage: wdev_cli_test.sh WDEV
set -uo pipefail
wdev=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failed=0
expect() {  # expect NAME WANTED-EXIT ACTUAL-EXIT [STDERR-FILE PATTERN]
    if [[ $3 != "$2" ]]; then echo "FAIL $1: exit $3, wanted $2"; failed=1; return; fi
    if [[ $# -ge 5 ]] && ! grep -q -- "$5" "$4"; then
        echo "FAIL $1: stderr lacks '$5':"; cat "$4"; failed=1; return
    fi
    echo "ok   $1"
}

printf 'a\xf0\x9f\x98\x80b\r\nc\xe2\x91\xa0\r\n' > "$dir/emoji.txt"   # 😀 has no Shift_JIS form; ① has
"$wdev" convert "$dir/emoji.txt" "$dir/out.txt" --from 8 --to 1 --eol 1 2> "$dir/err"
expect "lossy save exits 3 and says where" 3 $? "$dir/err" "1 characters have no form in code 1 (written as '?'); the first at line 1, column 2"
hex=$(od -An -tx1 "$dir/out.txt" | tr -d ' \n')
[[ $hex == 613f620d0a6387400d0a ]] || { echo "FAIL lossy output bytes: $hex"; failed=1; }
"$wdev" convert "$dir/emoji.txt" "$dir/out8.txt" --from 8 --to 8 --eol 1 2> "$dir/err"
expect "lossless conversion exits 0" 0 $?
[[ -s $dir/err ]] && { echo "FAIL lossless conversion wrote to stderr:"; cat "$dir/err"; failed=1; }
printf 'ok\x81' > "$dir/cut.txt"
"$wdev" convert "$dir/cut.txt" "$dir/out2.txt" --from 1 --to 1 --eol 1 2> "$dir/err"
expect "undecodable bytes exit 3" 3 $? "$dir/err" "1 bytes of .* could not be decoded"

mkfifo "$dir/pipe"
for cmd in detect scheme; do
    timeout 10 "$wdev" $cmd "$dir/pipe" > /dev/null 2> "$dir/err"
    expect "$cmd refuses a pipe" 1 $? "$dir/err" "通常のファイルではありません"
    timeout 10 "$wdev" $cmd "$dir" > /dev/null 2> "$dir/err"
    expect "$cmd refuses a folder" 1 $? "$dir/err" "フォルダです"
done
timeout 10 "$wdev" convert /dev/zero "$dir/z.txt" --to 1 --eol 1 > "$dir/err" 2>&1
expect "convert refuses an endless device" 1 $?
timeout 10 "$wdev" convert "$dir/emoji.txt" "$dir/pipe" --to 8 --eol 1 > "$dir/err" 2>&1
expect "convert refuses to write over a pipe" 1 $? "$dir/err" "通常のファイルではありません"
[[ -p $dir/pipe ]] || { echo "FAIL the pipe was replaced"; failed=1; }

if [[ -w /dev/full ]]; then
    "$wdev" detect "$dir/emoji.txt" > /dev/full 2> "$dir/err"
    expect "output to a full device fails" 1 $? "$dir/err" "cannot write the output"
fi
exit $failed
