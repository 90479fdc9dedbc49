#!/usr/bin/env bash
# Times `stillpix-cli denoise` on generated 24-megapixel files (8-bit JPEG, 8-bit TIFF, 16-bit
# TIFF) against reading and writing the same file with libjpeg-turbo or libtiff alone, in the same
# run, and prints the medians, their ratio and the peak memory (maximum resident set from
# /usr/bin/time -v) against the size of the decoded image.
# Usage: bench/end_to_end.sh [BUILD_DIR] [RUNS] [THREADS]   (hold /work/tools/locked meanwhile)
set -euo pipefail
build=${1:-build/release}
runs=${2:-3}
thread_args=()
[[ -n ${3:-} ]] && thread_args=(--threads "$3")
# The compression the program's TIFF writer uses by default: the floor writes with it too.
tiff_compression=${TIFF_COMPRESSION:-deflate}

cli=$(realpath "$build/app/stillpix-cli")
floor=$(realpath "$build/bench/stillpix-io-floor")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config  # no learned profiles, default options
mkdir -p "$HOME"

"$floor" photo "$work/photo.jpg"
"$floor" photo "$work/photo.tif"
"$floor" photo "$work/photo16.tif" --16

# Runs a command `runs` times; prints the median wall seconds and the largest peak in MB.
measure() {
    local times=() peak=0 i
    for ((i = 0; i < runs; i++)); do
        /usr/bin/time -v "$@" 2>"$work/time.txt" >/dev/null || { cat "$work/time.txt" >&2; exit 1; }
        times+=("$(awk -F': ' '/Elapsed \(wall clock\)/ {
            n = split($2, p, ":"); s = 0; for (k = 1; k <= n; k++) s = s * 60 + p[k]; print s }' \
            "$work/time.txt")")
        local kb
        kb=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/time.txt")
        ((kb > peak)) && peak=$kb
    done
    printf '%s %s\n' "$(printf '%s\n' "${times[@]}" | sort -g | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}')" \
        "$((peak / 1024))"
}

printf '%-10s %10s %10s %7s %10s %10s %8s\n' file denoise_s floor_s ratio peak_MB decoded_MB peak/img
for name in photo.jpg photo.tif photo16.tif; do
    in=$work/$name
    out=$work/out.${name##*.}
    decoded_mb=72
    extra=()
    if [[ $name == photo16.tif ]]; then decoded_mb=144; extra=(--tiff-depth 48); fi
    read -r d_s d_mb < <(measure "$cli" denoise "$in" -o "$out" --no-learn "${thread_args[@]}" "${extra[@]}")
    read -r f_s _ < <(measure "$floor" copy "$in" "$out" --quality 90 --compression "$tiff_compression")
    printf '%-10s %10.2f %10.2f %7.2f %10d %10d %8.2f\n' "$name" "$d_s" "$f_s" \
        "$(echo "$d_s / $f_s" | bc -l)" "$d_mb" "$decoded_mb" "$(echo "$d_mb / $decoded_mb" | bc -l)"
done
