#!/bin/sh
# Builds the realistic tree of the txscan benchmark: two hard-linked copies of /usr side by side
# (DIR/a and DIR/b, about 340,000 items on a Debian desktop). Hard links need DIR on the file
# system of /usr; elsewhere the copies are plain ones (slow, and as large as /usr twice).
#   bench/make_usr_tree.sh [DIR, default /tmp/usrcopy]
# A tree already there is kept: remove DIR to build it again.
set -eu
dir=${1:-/tmp/usrcopy}
mkdir -p "$dir"
for copy in a b; do
    if [ -d "$dir/$copy" ]; then
        continue
    fi
    if ! cp -al /usr "$dir/$copy.part" 2>/dev/null; then
        rm -rf "$dir/$copy.part"
        echo "hard links refused here: copying /usr into $dir/$copy" >&2
        cp -a /usr "$dir/$copy.part"
    fi
    mv "$dir/$copy.part" "$dir/$copy"
done
echo "$dir: $(find "$dir" | wc -l) items"
