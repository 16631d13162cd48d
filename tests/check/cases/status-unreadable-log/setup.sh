# A directory where the log should be: there, but no file to read.
mkdir "$logdir/Quillspur.log"
