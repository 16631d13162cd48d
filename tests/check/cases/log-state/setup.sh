head -c 1000 /dev/zero >install/htdocs/LORVANTIS/lorvantis_php/log/Quillspur.log
