mkdir -p data
: >data/report.txt
: >data/README
