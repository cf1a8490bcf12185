#!/usr/bin/env bash
# kestrova-plan's SVG picture as a person meets it: well-formed XML
# (xmllint), rendered by a real SVG renderer (rsvg-convert), with the marks of
# a fault and of a mismatch in the rendered pixels where the file puts them;
# a band of a million channels with one fault keeps it visible in a small
# file; hostile parameter texts leave the file well-formed.
# Usage: svg_picture.sh KESTROVA-PLAN
set -euo pipefail
plan=$(realpath "$1")
for tool in xmllint rsvg-convert convert; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed: skipped"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
fail() { echo "FAIL: $*" >&2; exit 1; }
params=(--fref 10 --fosc 950 --dac-gain 2 --band)

# Whether the rendered picture has a pixel of the colour near (X, Y):
# red (a fault) or pink (a mismatch), within five pixels either way.
has_colour() {  # PNG X Y red|pink
    local x=${2%.*} y=${3%.*}
    convert "$1" -crop "11x11+$((x - 5))+$((y - 5))" txt:- | sed -nE 's/^[0-9]+,[0-9]+: \(([0-9]+),([0-9]+),([0-9]+).*/\1 \2 \3/p' |
        awk -v want="$4" '
        { r = $1; g = $2; b = $3
          if (want == "red" && r > 150 && g < 90 && b < 90) found = 1
          if (want == "pink" && r > 230 && g > 150 && g < 215 && b > 150 && b < 215) found = 1 }
        END { exit !found }'
}
# The first mark of a class: its x and y in the file.
mark_at() {  # SVG fault|mismatch
    if [[ $2 == fault ]]; then
        grep -o '<g class="fault">.*' "$1" | head -n 1 | sed -E 's/.*<path d="M([0-9.]+) ([0-9.]+).*/\1 \2/'
    else
        grep -o '<path class="mismatch" d="M[0-9.]* [0-9.]*' "$1" | head -n 1 | sed -E 's/.*M([0-9.]+) ([0-9.]+)/\1 \2/'
    fi
}

# A band with mismatches below F0 and a fault at F0.
status=0
"$plan" "${params[@]}" --fl 699 --fh 701.5 --step 0.0003 --f0 700 --fh 701.5 --format svg -o band.svg || status=$?
[[ $status -eq 1 ]] || fail "a band with a fault exits $status, not 1"
xmllint --noout band.svg || fail "not well-formed XML"
rsvg-convert band.svg -o band.png || fail "rsvg-convert cannot render it"
read -r x y < <(mark_at band.svg fault)
has_colour band.png "$x" "$y" red || fail "no red fault mark at $x"
# The fault is at F0 = 700, 1 of 2.5 along the axis.
awk -v x="$x" 'BEGIN { exit !(x > 110 + 1040 * 0.4 - 2 && x < 110 + 1040 * 0.4 + 2) }' || fail "the fault is drawn at $x, not at 700"
read -r x y < <(mark_at band.svg mismatch)
has_colour band.png "$x" $((${y%.*} + 5)) pink || fail "no pink mismatch mark at $x"
grep -q '8334 channels, 3317 missing by more than 0.01, 1 fault' band.svg || fail "the counts are not said"

# A million channels, one fault: a small file, the fault still drawn.
"$plan" "${params[@]}" --fl 900 --fh 1000 --step 0.0001 --f0 950 --format svg -o million.svg || true
size=$(stat -c %s million.svg)
((size < 2000000)) || fail "a million channels make $size bytes"
rsvg-convert million.svg -o million.png
read -r x y < <(mark_at million.svg fault)
has_colour million.png "$x" "$y" red || fail "the one fault of a million channels is not visible"

# Parameter texts from a settings file that would break XML or a terminal.
printf '900\r\n1000<&]]>\r\n0.5\x1b]0;x\x07\r\n700\r\n10 "a" '"'"'b'"'"'\r\n950\r\n2\r\n900.2\r\n' > hostile.ini
"$plan" --ini hostile.ini --band --format svg -o hostile.svg || true
xmllint --noout hostile.svg || fail "hostile parameter texts broke the file"
grep -q '1000&lt;&amp;]]&gt;' hostile.svg || fail "the texts are not escaped"
# U+FFFE and U+FFFF, which XML 1.0 has no place for, shown as escapes.
printf '900\r\n1000\r\n0.5\r\n700\r\n10\xef\xbf\xbe\r\n950\xef\xbf\xbf\r\n2\r\n900.2\r\n' > nonchar.ini
"$plan" --ini nonchar.ini --band --format svg -o nonchar.svg || true
xmllint --noout nonchar.svg || fail "U+FFFE in a parameter broke the file"
rsvg-convert nonchar.svg -o nonchar.png || fail "rsvg-convert cannot render U+FFFE shown"
grep -q 'Fref 10\\ufffe' nonchar.svg || fail "U+FFFE is not shown as an escape"

# A parameter text of 50,000 characters: the heading stays above the panels,
# shortened visibly, the metadata keeps it whole.
{ printf '900\r\n1000\r\n0.5\r\n700\r\n10\r\n950'; for i in $(seq 6000); do printf ' word%d' "$i"; done
  printf '\r\n2\r\n900.2\r\n'; } > long.ini
"$plan" --ini long.ini --band --format svg -o long.svg || true
(($(grep -c 'class="heading"' long.svg) <= 3)) || fail "a long parameter makes a heading of $(grep -c 'class="heading"' long.svg) lines"
grep -q 'class="heading"[^<]*word[0-9]*…' long.svg || fail "the long parameter is not shortened visibly"
grep -q 'text="950 word1 [^"]* word6000"' long.svg || fail "the metadata does not keep the text whole"
counts=$(sed -nE 's/.*<text x="16" y="([0-9]+)">[0-9]+ channels.*/\1/p' long.svg)
((counts < 110)) || fail "the counts line is at y = $counts, inside the panels"

# The codes C and G are whole numbers: their ticks are whole, their lines steps.
"$plan" --ini long.ini --band --format svg -o codes.svg || true
ticks=$(grep -o 'class="tick"[^>]*>[^<]*<' codes.svg | sed -E 's/.*>([^<]*)<$/\1/' | tail -n 4)
grep -qE '\.' <<<"$ticks" && fail "the G panel has ticks between codes: $(tr '\n' ' ' <<<"$ticks")"
grep -o '<path class="data" d="[^"]*"' codes.svg | tail -n 2 | grep -q 'L' && fail "a code's line has slopes"

echo "ok: well-formed, rendered, marks where their channels are, bounded, escaped"
