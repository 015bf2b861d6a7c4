#!/bin/sh
# Every text marked Tr() in the sources has an English and a French entry
# that is translated and not fuzzy: a new text without its English fails here.
# Usage: CatalogsComplete.sh SOURCE_DIR
set -u
source=$1
work=$(mktemp -d) && trap 'rm -rf "$work"' EXIT
sh "$source/po/MakeTemplate.sh" "$source" "$work/now.pot" || { echo "FAIL: xgettext"; exit 1; }
failed=0
for lang in en fr; do
  # msgcmp takes untranslated and fuzzy entries for missing ones.
  msgcmp "$source/po/$lang.po" "$work/now.pot" || { echo "FAIL: po/$lang.po lacks texts of the sources"; failed=1; }
  msgfmt --check -o /dev/null "$source/po/$lang.po" || { echo "FAIL: msgfmt --check po/$lang.po"; failed=1; }
done
exit $failed
