#!/usr/bin/env bash
# Makes the scalable icon from the 32 x 32 pixel artwork (one square per
# pixel, runs of a colour merged) and renders the PNGs that software centres
# need. Run it after changing kestrova_32.xpm; its results are committed.
# Needs python3 and rsvg-convert (Debian: librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")"
python3 - kestrova_32.xpm > kestrova.svg <<'PY'
import re, sys
rows = re.findall(r'"([^"]*)"', open(sys.argv[1]).read())
width, height, colours, chars = map(int, rows[0].split())
palette = {}
for line in rows[1:1 + colours]:
    key, _, value = line[:chars], line[chars:].split()[0], line[chars:].split()[1]
    palette[key] = None if value.lower() == 'none' else value
print(f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
      f'viewBox="0 0 {width} {height}" shape-rendering="crispEdges">')
for y, row in enumerate(rows[1 + colours:1 + colours + height]):
    x = 0
    while x < width:
        key = row[x * chars:(x + 1) * chars]
        run = 1
        while x + run < width and row[(x + run) * chars:(x + run + 1) * chars] == key:
            run += 1
        if palette[key]:
            print(f'<rect x="{x}" y="{y}" width="{run}" height="1" fill="{palette[key]}"/>')
        x += run
print('</svg>')
PY
for size in 64 128; do
    rsvg-convert --width "$size" --height "$size" kestrova.svg > "kestrova_$size.png"
done
# The small sizes are the 16-colour pixel artwork itself (ImageMagick).
for size in 16 32; do
    convert "kestrova_$size.xpm" "kestrova_$size.png"
done
