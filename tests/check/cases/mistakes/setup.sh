mkdir -p data
: >data/a.txt
