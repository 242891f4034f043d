# Draws docs/timeline.png and docs/card-paths.png from salute-docpics' data.
# gnuplot -e "data='DIR'; docs='DOCS'" pictures.gp
set terminal pngcairo size 1000,620 font "DejaVu Sans,10"
set encoding utf8

# ---- the timeline -------------------------------------------------------------
timeline = data."/timeline.dat"
set output docs."/timeline.png"
set title "The timeline: what is on screen when (a photo or page shows strictly inside its bar)"
set xlabel "presentation time (s)"
set xrange [0:104]
set xtics 0,5 nomirror
set mxtics 5
set yrange [38.5:-5.5]
set ytics nomirror ("music" -4, "text pages" -2, "photo 0" 0, "5" 5, "10" 10, "15" 15, "20" 20, \
                    "25" 25, "30" 30, "photo 37" 37)
set grid xtics mxtics lc rgb "#e6e6e6" lw 1, lc rgb "#f3f3f3"
set key off
set style fill solid 0.85 border lc rgb "#555555"
# Colours: the sections alternate two greens, the fade is grey, the pages two
# blues, the photos two oranges so that neighbours stand apart.
colour(group, n) = group == 0 ? (int(n) % 2 ? 0x7dbb6a : 0x4e9a3a) : \
                   group == 1 ? 0xaaaaaa : \
                   group == 2 ? (int(n) % 2 ? 0x7fa6d6 : 0x3f75b8) : \
                   (int(n) % 2 ? 0xf0a35e : 0xd9661f)
set arrow from 25,-5.5 to 25,38.5 nohead dt 2 lc rgb "#888888" back
set arrow from 50,-5.5 to 50,38.5 nohead dt 2 lc rgb "#888888" back
set arrow from 75,-5.5 to 75,38.5 nohead dt 2 lc rgb "#888888" back
set label "fade" at 99.5,-4 center front font ",7"
plot timeline using (($1+$2)/2):3:(($2-$1)/2):(($4 == 3) ? 0.42 : 0.7):(colour($4, $0)) \
         with boxxyerror lc rgb variable, \
     timeline using (($1+$2)/2):3:5 index 0:1 with labels font ",9" tc rgb "white", \
     timeline using ($2+0.6):3:5 index 2 with labels left font ",7" tc rgb "#444444", \
     timeline using 1:(-5.5):(0):(44) index 3 with vectors nohead dt 3 lw 1.5 lc rgb "#c0392b", \
     timeline using ($1-0.5):(20):("the music ends") index 3 with labels rotate by 90 font ",9" tc rgb "#c0392b"

# ---- the photo cards' flights ----------------------------------------------------
unset arrow
unset label
unset grid
unset title
set terminal pngcairo size 1100,600 font "DejaVu Sans,10"
set output docs."/card-paths.png"
paths = data."/paths.dat"
controls = data."/controls.dat"
view = data."/view.dat"
set palette defined (0 "#1f618d", 0.5 "#52a447", 1 "#d9661f")
set cbrange [0:37]
set cbtics 0,5 nomirror
set cblabel "photo number"
set grid lc rgb "#e6e6e6"
set key off
set xrange [-16:6]
set xtics -16,2 mirror
set xlabel "x (scene units)"
set multiplot title "The photo cards' flights: each card's centre at every frame of its 5-s window, as PhotoCard::advance places it\n".\
                    "(dot: where the window opens; triangle: its point A, square: its point C; B is the origin)"

set size ratio -1
set origin 0,0
set size 0.52,0.92
set title "seen from above"
set ylabel "z"
set yrange [5.8:-13]
set ytics -12,2 mirror
unset colorbox
set label 1 "eye" at 0,5 point pt 7 ps 1 lc rgb "black" offset 1,0
set label 2 "B" at 0,0 point pt 1 ps 1.5 lc rgb "black" offset 0.8,0.6 front
set label 3 "- - the view's edges" at -7,-12 tc rgb "#777777" font ",9"
plot view index 0 using 1:2 with lines dt 2 lc rgb "#777777", \
     paths using 1:3:4 with lines lw 1 lc palette, \
     paths using 1:3:4 every 1000:1 with points pt 7 ps 0.5 lc palette, \
     controls index 0 using 1:3:4 with points pt 8 ps 0.6 lc palette, \
     controls index 1 using 1:3:4 with points pt 4 ps 0.6 lc palette

set origin 0.5,0.22
set size 0.5,0.62
set title "seen from the front"
set ylabel "y"
set yrange [-4.5:4.5]
set ytics -4,2 mirror
set colorbox horizontal user origin 0.6,0.14 size 0.3,0.03
unset label 1
unset label 3
set label 2 "B" at 0,0 point pt 1 ps 1.5 lc rgb "black" offset 0.8,0.6 front
set label 4 "the view at B's depth" at -2.4,2.2 tc rgb "#777777" font ",9"
plot view index 1 using 1:2 with lines dt 2 lc rgb "#777777", \
     paths using 1:2:4 with lines lw 1 lc palette, \
     paths using 1:2:4 every 1000:1 with points pt 7 ps 0.5 lc palette, \
     controls index 0 using 1:2:4 with points pt 8 ps 0.6 lc palette, \
     controls index 1 using 1:2:4 with points pt 4 ps 0.6 lc palette
unset multiplot
