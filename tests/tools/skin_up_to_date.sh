#!/bin/sh
# The committed skin is exactly what skingen makes from today's art, so a
# change to the art or the generator cannot land without `make skin`.
#   skin_up_to_date.sh <skingen> <source folder>
set -eu
skingen=$1
source=$2
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
"$skingen" "$source/tools/skingen/art" "$out"
status=0
for f in "$out"/skin/* "$out"/icons/*; do
  rel=${f#"$out"/}
  if ! cmp -s "$f" "$source/resources/$rel"; then
    echo "resources/$rel differs from what skingen makes: run make skin"
    status=1
  fi
done
exit $status
