#!/usr/bin/env bash
# Large seeds for the flash player's fuzz target, made at fuzz time into the folder given (they
# are too large to keep in the repository): a movie ffmpeg writes with video frames and MP3
# sound, and what fuzz/swf_seeds makes of it and of the tests' writer.
# usage: seeds-swf.sh BUILD_DIR CORPUS_DIR
set -euo pipefail
build=$1 dir=$2
video="$dir/ffmpeg-video.swf"
ffmpeg -v error -y -f lavfi -i testsrc2=size=640x480:rate=12:duration=4 -f lavfi -i sine=frequency=440:duration=4 \
  -c:v mjpeg -q:v 4 -c:a libmp3lame -b:a 64k -ar 22050 -f swf "$video" ||
  ffmpeg -v error -y -f lavfi -i testsrc2=size=640x480:rate=12:duration=4 -c:v mjpeg -q:v 4 -f swf "$video"
"$build/fuzz/swf_seeds" "$dir" "$video"
