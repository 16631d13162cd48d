# Written by the native monitor in two and a half seconds of Delay=1.
mv Quillspur.log "$logdir"
