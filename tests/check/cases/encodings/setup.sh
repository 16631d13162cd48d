mkdir -p "data/Aufträge" && : >"data/Aufträge/a.csv" && : >data/page.html
