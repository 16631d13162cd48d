mkdir -p data inbox
: >data/report.txt
: >data/week.dat
