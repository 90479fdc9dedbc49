#!/usr/bin/env bash
# Runs the command blocks of docs/cluster.md as they stand: the GNU parallel recipe on this
# machine (three shards, one of them killed part way and resumed) and the Slurm recipe (an
# sbatch stand-in runs each task of the array with SLURM_ARRAY_TASK_ID set by hand). Each must
# write the outputs of one unsharded run byte for byte, report every file processed exactly
# once, and merge the shards' learned profiles into what one run learns.
# Usage: cluster_recipes_test.sh STILLPIX_CLI DOCS/CLUSTER.MD
set -euo pipefail
cli=$1
doc=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export HOME=$tmp/home XDG_CONFIG_HOME=$tmp/home/config XDG_DATA_HOME=$tmp/home/data
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# stillpix-cli on the PATH, noting each process's id and arguments so that a shard can be killed.
mkdir -p "$tmp/bin"
cat >"$tmp/bin/stillpix-cli" <<EOF
#!/bin/sh
echo "\$\$ \$*" >>"$tmp/started"
exec "$cli" "\$@"
EOF
# The sbatch stand-in: each task of --array=FIRST-LAST in turn, then "Submitted batch job".
cat >"$tmp/bin/sbatch" <<'EOF'
#!/bin/bash
set -eu
while [[ $1 == -* ]]; do
    case $1 in --array=*) range=${1#--array=} ;; esac
    shift
done
for i in $(seq "${range%-*}" "${range#*-}"); do SLURM_ARRAY_TASK_ID=$i bash "$@"; done
echo "Submitted batch job 1"
EOF
chmod +x "$tmp/bin/"*
export PATH=$tmp/bin:$PATH

# The doc's blocks marked "tested: ... RECIPE ...", in order; "file: NAME" blocks go to NAME.
blocks() {
    awk -v recipe="$1" '
        /^<!-- tested:/ { take = 0; for (i = 3; i < NF; i++) if ($i == recipe) take = 1; next }
        /^<!-- file:/ { file = $3; next }
        /^```/ { if (open) { open = take = 0; file = "" } else open = 1; next }
        open && take { print }
        open && file != "" { print > file }
    ' "$doc"
}

# Two folders: six untagged pictures (the fourth, shard 0's second, large enough to be
# interrupted), then three of cameras of their own (each learns alone, so the shards learn what
# one run learns) and a name that is not UTF-8.
photos="$tmp/shared photos/archive"
mkdir -p "$photos/day1" "$photos/day2"
picture() {
    convert -size "$2" -seed "$3" gradient:'rgb(60,90,140)-rgb(200,170,120)' -attenuate 0.6 \
        +noise Gaussian -quality 95 "$1"
}
for i in 0 1 2 3 4 5; do picture "$photos/day1/p$i.jpg" 320x240 "$i"; done
picture "$photos/day1/p3.jpg" 1600x1200 3
for camera in A B C; do
    picture "$photos/day2/cam$camera.jpg" 320x240 7
    exiftool -q -overwrite_original -Make=Canon "-Model=Model $camera" -ISO=400 -FNumber=4 \
        -ExposureTime=0.01 "$photos/day2/cam$camera.jpg"
done
picture "$photos/day2/caf$(printf '\351') x.jpg" 320x240 9

# Moves every result out of the photo folders into $1, keeping its place.
collect() {
    (cd "$photos" && find . -type d -name Filtered -prune -print0) |
        while IFS= read -r -d '' folder; do
            mkdir -p "$1/$folder"
            mv "$photos/$folder"/{*,.[!.]*} "$1/$folder/" 2>/dev/null || true
            rmdir "$photos/$folder"
        done
}

stillpix-cli batch "$photos" --recursive --subfolder Filtered --preset Default \
    --profile-folder "$tmp/one-run" >/dev/null 2>&1 || fail "the unsharded run"
collect "$tmp/one-run-out"
total=$(find "$tmp/one-run-out" -type f | wc -l)
[ "$total" -eq 10 ] || fail "the unsharded run wrote $total of 10 files"
stillpix-cli profiles --merge "$tmp/one-run/sxprofiles.sxp" -o "$tmp/one-run.sxp" >/dev/null

# Runs one recipe with these settings; its output goes to $tmp/RECIPE.log.
run_recipe() {
    local recipe=$1
    mkdir -p "$tmp/$recipe"
    rm -rf "$tmp/home"
    (
        cd "$tmp/$recipe"
        {
            echo "PHOTOS='$photos' WORK='$tmp/shared photos/$recipe-run' N=3 HOSTS=:"
            blocks "$recipe"
        } >recipe.sh
        bash -u recipe.sh >"$tmp/$recipe.log" 2>&1
    )
}

check_recipe() {
    local recipe=$1 work="$tmp/shared photos/$1-run"
    collect "$tmp/$recipe-out"
    diff -r --exclude='.*' "$tmp/one-run-out" "$tmp/$recipe-out" ||
        fail "$recipe: the outputs differ from one run's"
    grep -qx "$total of $total files processed" "$tmp/$recipe.log" ||
        fail "$recipe: the reports do not add up: $(cat "$tmp/$recipe.log")"
    local twice
    twice=$(cat "$work"/reports/*.jsonl | jq -r 'select(.status == "processed") | .source' | sort |
        uniq -d)
    [ -z "$twice" ] || fail "$recipe: processed twice: $twice"
    cmp "$tmp/one-run.sxp" "$work/merged.sxp" || fail "$recipe: the merged profiles differ"
    cmp "$work/merged.sxp" "$XDG_DATA_HOME/Veltrano/Stillpix Professional Edition/Profiles/sxprofiles.sxp" ||
        fail "$recipe: the import did not take the merged profiles"
}

# Kill shard 0 once its report holds a line: its other files are still to do.
report0="$tmp/shared photos/parallel-run/reports/0.jsonl"
(
    until [ -s "$report0" ]; do sleep 0.01; done
    pid=$(awk '/--shard 0\/3 / { print $1 }' "$tmp/started" | head -n 1)
    kill -9 "$pid" && touch "$tmp/killed"
) &
watcher=$!
run_recipe parallel
wait "$watcher"
[ -e "$tmp/killed" ] || fail "parallel: shard 0 ended before it could be killed"
[ "$(grep -c -- '--shard 0/3 ' "$tmp/started")" -eq 2 ] || fail "parallel: shard 0 was not rerun"
check_recipe parallel

run_recipe slurm
check_recipe slurm
[ "$(grep -c -- '--shard [0-2]/3 ' "$tmp/started")" -eq 7 ] || fail "slurm: not one run a task"
echo "both recipes write the outputs of one run"
