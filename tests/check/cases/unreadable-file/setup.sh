# The job file is a directory; the key has no Path.
rm jobs.ini
mkdir jobs.ini
if on_wine; then
  "${runner[@]}" reg delete "$PRODUCT_KEY" /v Path /f >/dev/null 2>&1
else
  printf 'REGEDIT4\r\n\r\n[%s]\r\n' "$PRODUCT_KEY" >"$QUILLSPUR_REGISTRY"
fi
