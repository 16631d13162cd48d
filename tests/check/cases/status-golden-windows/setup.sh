# Written by the Windows monitor under Wine in eight seconds of Delay=1,
# ended while the second [Copy] ran; errno is 2 after every command there.
mv Quillspur.log "$logdir"
