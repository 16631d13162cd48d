mkdir -p data
