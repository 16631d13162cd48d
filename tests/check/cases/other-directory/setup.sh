mkdir -p work/data
: >work/data/ready.flag
rm -f jobs.ini
rm -rf install/htdocs/LORVANTIS/lorvantis_php/log
