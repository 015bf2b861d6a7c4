#!/bin/sh
# Every text marked Tr() in the sources is in po/tavrin.pot as it is now, and
# has an English and a French entry that is translated and not fuzzy: a new
# text without its English, or a template not refreshed, fails here. The
# texts are written in French, so fr.po gives every text as it is.
# Usage: CatalogsComplete.sh SOURCE_DIR
set -u
source=$1
work=$(mktemp -d) && trap 'rm -rf "$work"' EXIT
sh "$source/po/MakeTemplate.sh" "$source" "$work/now.pot" || { echo "FAIL: xgettext"; exit 1; }
failed=0
# Places (#: lines) move with every edit nearby and are not compared.
if ! diff -u -I '^"POT-Creation-Date:' -I '^#: ' "$source/po/tavrin.pot" "$work/now.pot" >"$work/pot.diff"; then
  echo "FAIL: po/tavrin.pot is stale (cmake --build <build> --target tavrin_po_merge):"
  head -40 "$work/pot.diff"
  failed=1
fi
for lang in en fr; do
  # msgcmp takes untranslated and fuzzy entries for missing ones.
  msgcmp "$source/po/$lang.po" "$work/now.pot" || { echo "FAIL: po/$lang.po lacks texts of the sources"; failed=1; }
  msgfmt --check -o /dev/null "$source/po/$lang.po" || { echo "FAIL: msgfmt --check po/$lang.po"; failed=1; }
done
msgcat --no-wrap "$source/po/fr.po" >"$work/fr.po"
msgen "$work/fr.po" | msgcat --no-wrap - >"$work/fr-as-written.po"
if ! diff -u "$work/fr-as-written.po" "$work/fr.po" >"$work/fr.diff"; then
  echo "FAIL: po/fr.po changes texts that are French as written:"
  head -20 "$work/fr.diff"
  failed=1
fi
[ $failed -eq 0 ] && echo "catalogs complete: $(grep -c '^msgid' "$work/now.pot") texts"
exit $failed
