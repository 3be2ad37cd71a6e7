# Colours of a playing slide, read from one screenshot at a time: shoot takes it, pixel reads a
# point of it, name turns a colour into the name the desktop tests compare (JPEG and video frames
# come near their colour, not onto it). look reads several points of the screen in one shot
# without keeping it: one program run, so that a loaded machine still samples a slide often.
# Source it after lib.sh.
shoot() { import -window root "$work/now.png"; }
pixel() { convert "$work/now.png" -crop "1x1+$1+$2" -depth 8 txt:- 2>/dev/null | grep -Eo '#[0-9A-F]{6}' | head -1; }
look() {  # x y [x y ...]: "#RRGGBB" for each point, on one line
  local format=""
  while [ $# -ge 2 ]; do format+="#%[hex:u.p{$1,$2}] "; shift 2; done
  import -window root -depth 8 -format "$format\n" info: 2>/dev/null
}
name() {
  case $1 in
    \#FFFF00) echo yellow ;; \#FF00FF) echo magenta ;; \#808080) echo grey ;; \#000000) echo black ;;
    *) local r=$((16#${1:1:2})) g=$((16#${1:3:2})) b=$((16#${1:5:2}))
       if ((r > 200 && g < 60 && b < 60)); then echo red
       elif ((g > 200 && r < 60 && b < 60)); then echo lime
       elif ((b > 200 && r < 60 && g < 60)); then echo blue
       else echo "$1"; fi ;;
  esac
}
