#!/usr/bin/env bash
# The fuzz targets (clang, libFuzzer, address and undefined-behaviour sanitizers).
#   fuzz/fuzz.sh build            configure and build them in $STILLPIX_FUZZ_BUILD (build/fuzz)
#   fuzz/fuzz.sh corpus           rewrite fuzz/corpus/ from our writers, ImageMagick and exiftool
#   fuzz/fuzz.sh smoke [RUNS]     every target, RUNS inputs (default 2000) from its corpus
#   fuzz/fuzz.sh long SECONDS [TARGET...]
#                                 each target in turn for a million inputs or SECONDS, whichever
#                                 ends first, under nice -n 19; new inputs
#                                 go to $STILLPIX_FUZZ_BUILD/found/, crashes to .../artifacts/
# Regression inputs for fixed findings live in fuzz/corpus/<target>/ as regress-*; seeds whose
# headers lie about their size (fuzz/hostile_seeds.py) as hostile-*. The TIFF, PNG and JPEG targets
# take the dictionary of their format from fuzz/dict/. Runs fail on any single allocation above
# 512 MB and on a resident size above 2048 MB: no decode of a small input needs
# either, so a buffer sized by a header alone is a finding.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${STILLPIX_FUZZ_BUILD:-$root/build/fuzz}
jobs=${STILLPIX_JOBS:-2}
targets=(jpeg png tiff bmp gif thumbnail exif makernote_canon makernote_nikon3 icc settings profile_file)
malloc_limit=512
rss_limit=2048

# libFuzzer's options of a target: its dictionary and the memory limits.
options() {
    local dict=$root/fuzz/dict/$1.dict
    [ -f "$dict" ] && echo "-dict=$dict"
    echo "-rss_limit_mb=$rss_limit -malloc_limit_mb=$malloc_limit"
}

# Seed folders of a target: its own, and for thumbnails every image format's.
corpora() {
    local t=$1
    echo "$root/fuzz/corpus/$t"
    if [ "$t" = thumbnail ]; then
        for f in jpeg png tiff bmp gif; do echo "$root/fuzz/corpus/$f"; done
    fi
}

build() {
    cmake -S "$root" -B "$build" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSTILLPIX_SANITIZE=ON -DSTILLPIX_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
    local names=(stillpix_fuzz_seeds)
    for t in "${targets[@]}"; do names+=("fuzz_$t"); done
    cmake --build "$build" -j"$jobs" --target "${names[@]}"
}

magick() { /usr/bin/convert "$@"; }

corpus() {
    [ -x "$build/fuzz/stillpix_fuzz_seeds" ] || build
    local c=$root/fuzz/corpus tmp
    tmp=$(mktemp -d)
    trap 'rm -rf "$tmp"' RETURN
    # Keep the regression inputs, rewrite the seeds.
    find "$c" -type f ! -name 'regress-*' -delete 2>/dev/null || true
    mkdir -p "$c"
    "$build/fuzz/stillpix_fuzz_seeds" "$c"
    for t in "${targets[@]}"; do mkdir -p "$c/$t"; done

    local src="$tmp/src.png"
    magick -size 12x9 gradient:'#d02060'-'#20a0f0' "$src"
    magick "$src" "BMP3:$c/bmp/rgb24.bmp"
    magick "$src" -colors 16 -type palette "BMP3:$c/bmp/palette8.bmp"
    magick "$src" -colors 16 -type palette -compress RLE "BMP3:$c/bmp/rle8.bmp"
    magick "$src" -type bilevel "BMP3:$c/bmp/bilevel1.bmp"
    magick "$src" -define bmp:subtype=RGB565 "BMP:$c/bmp/rgb565.bmp"
    magick "$src" -alpha on "BMP:$c/bmp/argb32.bmp"
    magick "$src" "BMP2:$c/bmp/os2.bmp"
    magick "$src" "$c/gif/plain.gif"
    magick "$src" -interlace GIF "$c/gif/interlaced.gif"
    magick "$src" -transparent '#d02060' "$c/gif/transparent.gif"
    magick "$src" -colorspace Gray "$c/gif/grey.gif"
    magick "$src" "PNG8:$c/png/palette.png"
    magick "$src" -interlace PNG "$c/png/interlaced.png"
    magick "$src" -alpha on -channel A -evaluate set 50% "PNG64:$c/png/rgba16.png"
    magick "$src" -colorspace Gray -alpha on "PNG:$c/png/grey-alpha.png"
    magick "$src" -type bilevel "$c/png/bilevel.png"
    magick "$src" -define tiff:tile-geometry=16x16 "$c/tiff/tiled.tif"
    magick "$src" -interlace plane "$c/tiff/planar.tif"
    magick "$src" -colors 16 -type palette "$c/tiff/palette.tif"
    magick "$src" -colorspace CMYK "$c/tiff/cmyk.tif"
    magick "$src" -compress JPEG "$c/tiff/jpeg-ycbcr.tif"
    magick "$src" -type bilevel -compress Group4 "$c/tiff/group4.tif"
    magick "$src" -alpha on -depth 16 -endian MSB "$c/tiff/rgba16-msb.tif"
    magick "$src" -orient bottom-right "$c/tiff/rotated.tif"
    magick "$src" -interlace JPEG -quality 60 "$c/jpeg/progressive.jpg"
    magick "$src" -colorspace CMYK -quality 60 "$c/jpeg/cmyk.jpg"
    magick -size 320x200 gradient:white-black -quality 20 "$c/thumbnail/large-scaled.jpg"
    magick -size 400x30 gradient:red-blue "$c/thumbnail/wide.gif"
    magick -size 16x16 xc:red -quality 50 "$tmp/small.jpg"
    python3 "$root/fuzz/hostile_seeds.py" "$c" "$tmp/small.jpg"

    # EXIF blocks as exiftool writes them, taken back out of the file.
    local tagged="$tmp/tagged.jpg"
    magick "$src" "$tagged"
    exiftool -q -overwrite_original -Make=Canon -Model="Canon EOS 5D" -ISO=800 -ExposureTime=1/60 \
        -FNumber=4 -ExposureCompensation=-0.7 -XResolution=72 -YResolution=72 -ResolutionUnit=inches \
        -DateTimeOriginal="2023:11:02 09:30:00" -Software=Stillpix -DigitalZoomRatio=1 \
        -Keywords=fuzz "$tagged"
    exiftool -b -EXIF "$tagged" >"$c/exif/exiftool-canon"
    cp "$tagged" "$c/jpeg/exiftool-tagged.jpg"
    magick "$src" "$tagged"
    exiftool -q -overwrite_original -ExifByteOrder=Little-endian -Make="NIKON CORPORATION" -Model="NIKON D70" -ISO=3200 \
        -ShutterSpeedValue=1/250 -ApertureValue=5.6 "$tagged"
    exiftool -b -EXIF "$tagged" >"$c/exif/exiftool-nikon-ii"
    du -sh "$c"/* | sort -k2
}

smoke_one() {
    local t=$1 runs=$2 out=$3
    mkdir -p "$out/$t"
    # New inputs go to the scratch folder first in the list, never into the committed corpus.
    "$build/fuzz/fuzz_$t" -runs="$runs" -seed=1 -timeout=30 $(options "$t") \
        -artifact_prefix="$out/$t-" -print_final_stats=0 "$out/$t" $(corpora "$t") 2>"$out/$t.log" || {
        echo "fuzz_$t failed:" >&2
        tail -50 "$out/$t.log" >&2
        return 1
    }
    echo "fuzz_$t: $(grep -Eo 'Done [0-9]+ runs in [0-9]+ second' "$out/$t.log" | tail -1)"
}

# $jobs targets at a time.
smoke() {
    local runs=${1:-2000} out t pid failed=0 pids=()
    out=$(mktemp -d)
    trap 'rm -rf "$out"' RETURN
    for t in "${targets[@]}"; do
        while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
        smoke_one "$t" "$runs" "$out" &
        pids+=($!)
    done
    for pid in "${pids[@]}"; do wait "$pid" || failed=1; done
    return $failed
}

long() {
    local seconds=$1
    shift
    local chosen=("$@")
    [ ${#chosen[@]} -gt 0 ] || chosen=("${targets[@]}")
    for t in "${chosen[@]}"; do
        mkdir -p "$build/found/$t" "$build/artifacts"
        echo "fuzz_$t: $seconds s" >&2
        nice -n 19 "$build/fuzz/fuzz_$t" -runs=1000000 -max_total_time="$seconds" -timeout=30 $(options "$t") \
            -artifact_prefix="$build/artifacts/$t-" -print_final_stats=1 \
            "$build/found/$t" $(corpora "$t") 2>"$build/found/$t.log" || echo "fuzz_$t stopped with a finding" >&2
        grep -E '^(#[0-9]+.*DONE|stat::number_of_executed_units|stat::peak_rss_mb)' "$build/found/$t.log" >&2 || true
    done
}

case "${1:-}" in
    build) build ;;
    corpus) corpus ;;
    smoke) shift; smoke "$@" ;;
    long) shift; long "$@" ;;
    *) sed -n '2,9p' "$0" >&2; exit 2 ;;
esac
