#!/bin/sh
# Builds the text-file benchmark corpus from Debian packages (nothing is
# checked in): manpages-ja's UTF-8 pages converted with iconv into every
# encoding, skkdic's SKK-JISYO.L (EUC-JP) cut into pieces, and one ~100 MB
# file per encoding for load and save timing.
#   bench/make_textengine_corpus.sh [OUTDIR]   (default build/bench-corpus)
# Needs: manpages-ja skkdic (and nkf uchardet for the detection benchmark).
set -eu
out=${1:-build/bench-corpus}
man=/usr/share/man/ja
skk=/usr/share/skk/SKK-JISYO.L
big_bytes=$((100 * 1024 * 1024))

if [ ! -d "$man" ] || [ ! -f "$skk" ]; then
    echo "needs the Debian packages manpages-ja and skkdic:" >&2
    echo "  apt-get install -y manpages-ja skkdic nkf uchardet" >&2
    exit 1
fi

rm -rf "$out"
mkdir -p "$out/detect/sjis" "$out/detect/eucjp" "$out/detect/jis" "$out/detect/utf8" \
         "$out/detect/utf16le" "$out/detect/skk-eucjp" "$out/big"

# One sample per manual page that holds Japanese text.
find "$man" -name '*.gz' | sort | while read -r page; do
    name=$(basename "$page" .gz)
    tmp="$out/detect/page.utf8"
    zcat "$page" > "$tmp"
    LC_ALL=C grep -q '[^ -~[:space:]]' "$tmp" || continue
    cp "$tmp" "$out/detect/utf8/$name"
    iconv -c -f UTF-8 -t CP932 "$tmp" > "$out/detect/sjis/$name" 2>/dev/null || true
    iconv -c -f UTF-8 -t EUC-JP "$tmp" > "$out/detect/eucjp/$name" 2>/dev/null || true
    iconv -c -f UTF-8 -t ISO-2022-JP "$tmp" > "$out/detect/jis/$name" 2>/dev/null || true
    iconv -c -f UTF-8 -t UTF-16LE "$tmp" > "$out/detect/utf16le/$name" 2>/dev/null || true
done
rm -f "$out/detect/page.utf8"

# The dictionary in 64 KiB pieces cut at line ends.
(cd "$out/detect/skk-eucjp" && split -C 65536 -d -a 3 "$skk" part-)

# ~100 MB of manual text, then the same text in each encoding.
: > "$out/big/utf8.txt"
while [ "$(stat -c %s "$out/big/utf8.txt")" -lt "$big_bytes" ]; do
    cat "$out"/detect/utf8/* >> "$out/big/utf8.txt"
done
head -c "$big_bytes" "$out/big/utf8.txt" > "$out/big/tmp" && mv "$out/big/tmp" "$out/big/utf8.txt"
iconv -c -f UTF-8 -t CP932 "$out/big/utf8.txt" > "$out/big/sjis.txt" 2>/dev/null || true
iconv -c -f UTF-8 -t EUC-JP "$out/big/utf8.txt" > "$out/big/eucjp.txt" 2>/dev/null || true
# UTF-16LE with its signature, as the editor writes it.
{ printf '\377\376'; iconv -c -f UTF-8 -t UTF-16LE "$out/big/utf8.txt" 2>/dev/null || true; } > "$out/big/utf16le.txt"

echo "corpus in $out:"
for d in "$out"/detect/*; do echo "  $(ls "$d" | wc -l) samples in $d"; done
ls -l "$out/big"
