# Frame times over the timeline from bench/run's per-frame CSV.
# gnuplot -e "csv='frames.csv'; png='frame-times.png'" bench/plot.gp
set terminal pngcairo size 1000,460 font "DejaVu Sans,10"
set output png
set datafile separator ","
set key top left
set xlabel "presentation time (s)"
set ylabel "frame time (ms)"
set grid ytics
set xrange [0:*]
plot csv using 2:3 every ::1 with lines lw 1 lc rgb "#c0392b" title "program", \
     csv using 2:5 every ::1 with lines lw 1 lc rgb "#e59866" title "geometry floor", \
     csv using 2:4 every ::1 with lines lw 1 lc rgb "#7f8c8d" title "clear + present"
