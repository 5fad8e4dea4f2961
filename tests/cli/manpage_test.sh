#!/usr/bin/env bash
# The manual pages format without warnings, and tambril-cli's page describes
# exactly the options and commands that `tambril-cli --help` names. Both lists
# are read from their sources, so a new option has to go into both.
# Usage: manpage_test.sh TAMBRIL_CLI PAGE_FOLDER
set -euo pipefail
cli=$1
pages=$2
fail=0

for page in "$pages"/*.1; do
  warnings=$(groff -man -Tutf8 -ww -z "$page" 2>&1)
  if [ -n "$warnings" ]; then echo "FAIL: $page: $warnings"; fail=1; fi
done

# Words that begin with "-" or "--" and a letter, each once.
options() {
  grep -oE '(^|[^[:alnum:]_-])--?[[:alpha:]][[:alnum:]-]*' | sed -E 's/^[^-]+//' | sort -u
}
# The page's text with roff's escapes for "-" and fonts undone.
plain() { sed -E -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' "$1"; }
# The tag lines (the line after .TP) of one section of the page.
tags() {
  plain "$1" | awk -v want="$2" '
    /^\.SH/ { sub(/^\.SH +/, ""); gsub(/"/, ""); section = $0; next }
    section == want && after_tp { print; after_tp = 0; next }
    section == want && /^\.TP/ { after_tp = 1 }'
}

page=$pages/tambril-cli.1
help=$("$cli" --help)

help_options=$(options <<<"$help")
page_options=$(tags "$page" OPTIONS | options)
if [ "$help_options" != "$page_options" ]; then
  echo "FAIL: options differ (< --help, > page):"
  diff <(echo "$help_options") <(echo "$page_options") || true
  fail=1
fi

# Commands: the first word after the program's name in the usage lines.
help_commands=$(grep -oE '^([[:alpha:]]+:)? *tambril-cli +[a-z]+' <<<"$help" | awk '{ print $NF }' | sort -u)
page_commands=$(tags "$page" COMMANDS | sed -E 's/^\.[BIR]+ +//' | awk '{ print $1 }' | sort -u)
if [ "$help_commands" != "$page_commands" ]; then
  echo "FAIL: commands differ (< --help, > page):"
  diff <(echo "$help_commands") <(echo "$page_commands") || true
  fail=1
fi

# Guard against both lists coming out empty because a pattern broke.
for expected in --password-stdin --help; do
  grep -qx -- "$expected" <<<"$help_options" || { echo "FAIL: $expected not found in --help"; fail=1; }
done
grep -qx encode <<<"$help_commands" || { echo "FAIL: no commands found in --help"; fail=1; }
[ $fail = 0 ] && echo "ok: options: $(echo $help_options); commands: $(echo $help_commands)"
exit $fail
