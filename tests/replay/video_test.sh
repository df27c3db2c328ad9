#!/bin/sh
# A replay rendered to a video: the picture at 1000/43 frames a second, one
# frame per 43 ms of the run, scaled by the whole factor asked for, and a
# sound track with the music in it (not silence). Read back with ffprobe.
# Usage: video_test.sh TOOL BUILD_DIR REPLAY
set -u
. "$(dirname "$0")/../headless_session.sh"
replay=$3
headless_session "$1" "$2"
export XDG_DATA_HOME="$work/data"

(cd "$work" && "$tool" --dir game --replay "$replay" --until 6020 --video out.mp4 --scale 3) \
  || fail "rendering exit status $?"
# 0, 43, ... 6020 ms: 141 frames.
info=$(ffprobe -v error -count_frames -show_entries stream=codec_type,codec_name,width,height,r_frame_rate,nb_read_frames \
  -of compact=p=0:nk=0 "$work/out.mp4")
echo "$info"
echo "$info" | grep -q "codec_type=video.*width=996|height=1434|r_frame_rate=1000/43|nb_read_frames=141" \
  || fail "the picture stream is not 996 x 1434 at 1000/43 with 141 frames"
echo "$info" | grep -q "codec_name=h264\|codec_name=mpeg4" || fail "neither H.264 nor MPEG-4"
echo "$info" | grep -q "codec_type=audio" || fail "no sound track"
if [ -n "$(cd "$work" && ls /usr/share/sounds/sf2/*.sf2 /usr/share/sounds/sf3/*.sf3 2>/dev/null)" ]; then
  peak=$(ffmpeg -hide_banner -i "$work/out.mp4" -vn -af volumedetect -f null - 2>&1 | sed -n 's/.*max_volume: \(-*[0-9.]*\) dB.*/\1/p')
  echo "sound peak: $peak dB"
  awk -v p="$peak" 'BEGIN { exit !(p != "" && p > -40) }' || fail "the sound track is silent"
fi
# Nearest neighbour: a frame taken from the video, shrunk back by 3 with the
# same kind of sampling, shows the play picture the run showed then (the
# encoder's loss aside: compared loosely).
(cd "$work" && "$tool" --dir game --replay "$replay" --until 6020 --shot 4000:shot.png) || fail "shot"
ffmpeg -v error -y -ss 3.999 -i "$work/out.mp4" -frames:v 1 -vf scale=332:478:flags=neighbor "$work/frame.png" \
  || fail "no frame at 4 s"
if command -v compare > /dev/null; then
  diff=$(compare -metric RMSE "$work/shot.png" "$work/frame.png" null: 2>&1 | sed -n 's/.*(\([0-9.e-]*\)).*/\1/p')
  echo "picture difference (RMSE): $diff"
  awk -v d="$diff" 'BEGIN { exit !(d != "" && d < 0.08) }' || fail "the frame at 4 s is not the play picture then"
fi
[ $fails -eq 0 ] && echo "video: picture and sound as asked"
exit $fails
