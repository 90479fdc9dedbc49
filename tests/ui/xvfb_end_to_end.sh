#!/usr/bin/env bash
# The real program under Xvfb, driven by xdotool: start stillpix on a noisy camera JPEG, wait for
# its noise profile, Ctrl+Enter, wait for the summary, Ctrl+S into a temporary folder, and check
# the file: it decodes, keeps the camera's EXIF and is less noisy than the input. Then the
# options sheet, and a batch over a folder.
# Run as: xvfb-run -a tests/ui/xvfb_end_to_end.sh STILLPIX [SCREENSHOT_FOLDER]
set -euo pipefail
stillpix=$1
shots=${2:-}
work=$(mktemp -d)
pid=
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
export HOME=$work/home XDG_CONFIG_HOME=$work/home/config XDG_DATA_HOME=$work/home/data
mkdir -p "$HOME"
profiles="$XDG_DATA_HOME/Veltrano/Stillpix Professional Edition/Profiles/sxprofiles.sxp"

fail() { echo "end to end: $*" >&2; exit 1; }
# Polls a condition every 0.1 s for at most 60 s.
wait_for() {
    local what=$1; shift
    for _ in $(seq 600); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
    fail "timed out waiting for $what"
}
window() { xdotool search --onlyvisible --name "$1"; }
shot() { [ -z "$shots" ] || import -window root "$shots/$1.png"; }
rmse() { { compare -metric RMSE "$1" "$2" null: 2>&1 || true; } | sed 's/.*(\(.*\))/\1/'; }

convert -size 960x720 plasma:wheat-steelblue -blur 0x3 "$work/clean.png"
convert "$work/clean.png" -attenuate 0.6 +noise Gaussian -quality 92 "$work/noisy.jpg"
exiftool -q -overwrite_original -Make=Canon "-Model=Canon EOS 5D" -ISO=800 -FNumber=4 \
    -ExposureTime=0.01 "$work/noisy.jpg"

"$stillpix" "$work/noisy.jpg" &
pid=$!
wait_for "the main window" window "^noisy.jpg - Stillpix Professional Edition$"
frame=$(window "^noisy.jpg - Stillpix Professional Edition$" | head -1)
# Self-learning is on and the photo names its camera and ISO: the measured profile is learned,
# so the profile file appears once the profile is built.
wait_for "the noise profile" test -s "$profiles"
shot end_to_end_opened
xdotool windowfocus --sync "$frame" key --clearmodifiers ctrl+Return
wait_for "the processing summary" window "^Processing Summary$"
shot end_to_end_summary
xdotool key --clearmodifiers Return
wait_for "the summary to close" bash -c '! xdotool search --onlyvisible --name "^Processing Summary$"'
xdotool windowfocus --sync "$frame" key --clearmodifiers ctrl+s
wait_for "the Save As dialog" window "^Save As$"
sleep 0.3
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 5 "$work/out.jpg"
xdotool key --clearmodifiers Return
wait_for "the saved file" test -s "$work/out.jpg"
wait_for "the save to finish" bash -c "! xdotool search --onlyvisible --name '^Progress Window$'"
shot end_to_end_saved

[ "$(identify -format %m "$work/out.jpg")" = JPEG ] || fail "the result does not decode as JPEG"
[ "$(exiftool -s3 -Model "$work/out.jpg")" = "Canon EOS 5D" ] || fail "the camera model was lost"
[ "$(exiftool -s3 -Software "$work/out.jpg")" = "Veltrano Stillpix" ] || fail "no software tag"
before=$(rmse "$work/noisy.jpg" "$work/clean.png")
after=$(rmse "$work/out.jpg" "$work/clean.png")
awk -v a="$after" -v b="$before" 'BEGIN { exit !(a < b * 0.8) }' ||
    fail "noise not lower: $after against $before"

# The options sheet from the View menu: its first box turned over and kept by OK.
cli=$(dirname "$stillpix")/stillpix-cli
startup_box() { "$cli" options get 'Show "Open File Dialog" on startup'; }
was=$(startup_box)
xdotool windowfocus --sync "$frame" key --clearmodifiers alt+v
sleep 0.3
xdotool key --clearmodifiers o
wait_for "the options sheet" window "^Options$"
shot end_to_end_options
xdotool key --clearmodifiers Tab space Return
wait_for "the options sheet to close" bash -c '! xdotool search --onlyvisible --name "^Options$"'
[ "$(startup_box)" != "$was" ] || fail "the options sheet did not keep the changed box"

# A batch: the folder queued from the batch pane (Alt+A, "Add Folder"), run (Alt+R) to its
# summary; the written files decode at their sources' sizes, the broken one is counted failed.
mkdir "$work/batch"
for name in one two three; do
    convert -size 320x240 plasma:wheat-steelblue -attenuate 0.5 +noise Gaussian "$work/batch/$name.jpg"
done
printf '\xff\xd8\xff\xe0broken' >"$work/batch/broken.jpg"
xdotool windowfocus --sync "$frame" key --clearmodifiers alt+v
sleep 0.3
xdotool key --clearmodifiers b
sleep 0.5
xdotool key --clearmodifiers alt+a
sleep 0.3
xdotool key --clearmodifiers Down Return
wait_for "the folder dialog" window "^Select Folder To Add To The Batch Queue:$"
sleep 0.3
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 5 "$work/batch"
xdotool key --clearmodifiers Return
sleep 0.5
# A completion list may take the first Return.
window "^Select Folder To Add To The Batch Queue:$" >/dev/null 2>&1 && xdotool key --clearmodifiers Return
wait_for "the folder dialog to close" bash -c \
    '! xdotool search --onlyvisible --name "^Select Folder To Add To The Batch Queue:$"'
xdotool windowfocus --sync "$frame" key --clearmodifiers alt+r
wait_for "the question to run" window "^Stillpix Professional Edition$"
shot end_to_end_batch_question
xdotool key --clearmodifiers Return
wait_for "the batch summary" window "^Batch Processing Summary$"
shot end_to_end_batch_summary
xdotool key --clearmodifiers Return
wait_for "the batch summary to close" bash -c \
    '! xdotool search --onlyvisible --name "^Batch Processing Summary$"'
shot end_to_end_batch_statuses
for name in one two three; do
    written=$work/batch/Filtered/${name}_filtered.jpg
    [ "$(identify -format '%m %wx%h' "$written" 2>/dev/null)" = "JPEG 320x240" ] ||
        fail "the batch did not write $written whole"
done
[ ! -e "$work/batch/Filtered/broken_filtered.jpg" ] || fail "the broken file was written"
echo "end to end: saved, EXIF kept, RMSE against the clean scene $before -> $after, options kept, batch of 3 written"
