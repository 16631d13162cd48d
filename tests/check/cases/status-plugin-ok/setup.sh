# The native golden log: one failing job is below a limit of two.
cp "$case/../status-golden-posix/Quillspur.log" "$logdir"
