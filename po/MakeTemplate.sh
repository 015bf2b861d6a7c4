#!/bin/sh
# Writes the message template: every text marked Tr("...") in the program's
# host and application sources. Usage: MakeTemplate.sh SOURCE_DIR OUTPUT.pot
set -eu
source=$1 output=$2
cd "$source"
files=$(find src/host src/desktop src/headless -name '*.cpp' -o -name '*.h' | LC_ALL=C sort)
# shellcheck disable=SC2086 # one word per file name, none has a space
xgettext --language=C++ --from-code=UTF-8 --keyword= --keyword=Tr --keyword=TrLater --add-comments=TRANSLATORS: \
  --package-name=Tavrin --msgid-bugs-address=tavrin@localhost --sort-by-file -o "$output" $files
