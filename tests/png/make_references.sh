#!/usr/bin/env bash
# Writes ImageMagick's reading of every test image of libpng's source package (contrib/pngsuite, its
# interlaced/ folder, contrib/testpngs) as an 8-bit binary PPM, composited on white, for the tests
# that compare the PNG plug-in's pixels with an independent decoder:
#
#   make_references.sh LIBPNG_SOURCE_DIR OUTPUT_DIR
#
# OUTPUT_DIR/<path below contrib/>.ppm for each file; files newer than their PNG and than this
# script are kept. How ImageMagick is told to read the pixels as the plug-in does: colour
# management is not applied, so "+profile '*'" drops ICC profiles and "-set colorspace sRGB" takes
# the stored samples as they are (ImageMagick otherwise reads a file with gAMA 1.0 as linear RGB and
# converts it on the way out); then "-alpha remove" over "-background white" composites
# transparency (alpha channels and tRNS) on white, and "-depth 8" rounds 16-bit samples to 8 bits.
set -euo pipefail
src=$1
out=$2
convert=/usr/bin/convert  # ImageMagick itself, whatever stands before it on PATH
mkdir -p "$out"
count=0
for file in "$src"/contrib/pngsuite/*.png "$src"/contrib/pngsuite/interlaced/*.png \
            "$src"/contrib/testpngs/*.png; do
  relative=${file#"$src"/contrib/}
  dest=$out/${relative%.png}.ppm
  count=$((count + 1))
  [ "$dest" -nt "$file" ] && [ "$dest" -nt "$0" ] && continue
  mkdir -p "$(dirname "$dest")"
  "$convert" "$file" +profile '*' -set colorspace sRGB -background white -alpha remove -alpha off \
    -depth 8 "ppm:$dest.tmp"
  mv "$dest.tmp" "$dest"
done
echo "$count references in $out"
