# Frame times over the timeline from bench/run's per-frame CSV, with the
# targets for the median and the 99th percentile. The first frame (the load)
# lies far above the top and is left out.
# gnuplot -e "csv='frames.csv'; png='frame-times.png'" bench/plot.gp
set terminal pngcairo size 1000,420 font "DejaVu Sans,10"
set output png
set datafile separator ","
set key top right opaque box
set xlabel "presentation time (s)"
set ylabel "frame time (ms)"
set grid ytics
set xrange [0:104]
set yrange [0:30]
plot csv using 2:3 every ::2 with lines lw 1 lc rgb "#c0392b" title "program", \
     csv using 2:5 every ::2 with lines lw 1 lc rgb "#e59866" title "geometry floor", \
     csv using 2:4 every ::2 with lines lw 1 lc rgb "#7f8c8d" title "clear + present", \
     12 with lines dt 2 lw 1.5 lc rgb "#1f618d" title "median target (12 ms)", \
     16.7 with lines dt 3 lw 1.5 lc rgb "#1f618d" title "p99 target (16.7 ms)"
