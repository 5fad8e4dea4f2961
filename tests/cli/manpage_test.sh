#!/usr/bin/env bash
# The manual pages format without warnings, and tambril-cli's page describes
# exactly the options and commands that `tambril-cli --help` names. Both lists
# are read from their sources, so a new option has to go into both. The
# README's "Command line" names every option too, --help says the same in
# both languages, and every exit status the program has (cli/exit_codes.h)
# is listed in all three texts, and none other.
# Usage: manpage_test.sh TAMBRIL_CLI PAGE_FOLDER README EXIT_CODES_H
set -euo pipefail
cli=$1
pages=$2
readme=$3
exit_codes=$4
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

german_options=$(LC_ALL= LC_MESSAGES= LANG=de_DE.UTF-8 "$cli" --help | options)
if [ "$help_options" != "$german_options" ]; then
  echo "FAIL: options differ (< --help, > German --help):"
  diff <(echo "$help_options") <(echo "$german_options") || true
  fail=1
fi
# The README's section on the command line, up to the next section.
readme_cli=$(awk '/^## / { inside = ($0 == "## Command line") } inside' "$readme")
for option in $help_options; do
  if ! grep -qE -- "(^|[^[:alnum:]-])$option([^[:alnum:]-]|\$)" <<<"$readme_cli"; then
    echo "FAIL: $option is in --help but not in the README's \"Command line\""
    fail=1
  fi
done

# Exit statuses: single digits before a word ("3 file error"), in the
# paragraph that lists them; on the page, the tags of EXIT STATUS.
statuses() { grep -oE '(^|[[:space:](:,])[0-9] [[:alpha:]]' | grep -oE '[0-9]' | sort -u; }
paragraph() { awk -v start="$1" 'index($0, start) == 1 { inside = 1 } inside && /^$/ { exit } inside'; }
code_statuses=$(grep -oE 'kExit[[:alpha:]]+ = [0-9]+' "$exit_codes" | grep -oE '[0-9]+$' | sort -u)
page_statuses=$(tags "$page" "EXIT STATUS" | sed -E 's/^\.[BIR]+ +//' | sort -u)
declare -A listed=(
  ["--help"]=$(paragraph "Exit status" <<<"$help" | statuses)
  ["German --help"]=$(LC_ALL= LC_MESSAGES= LANG=de_DE.UTF-8 "$cli" --help | paragraph "Rückgabewert" | statuses)
  ["page"]=$page_statuses
  ["README"]=$(paragraph "Exit status" <"$readme" | statuses)
)
for text in "${!listed[@]}"; do
  if [ "${listed[$text]}" != "$code_statuses" ]; then
    echo "FAIL: exit statuses differ (< cli/exit_codes.h, > $text):"
    diff <(echo "$code_statuses") <(echo "${listed[$text]}") || true
    fail=1
  fi
done
[ "$(echo $code_statuses)" = "0 1 2 3" ] || { echo "FAIL: exit statuses not read from $exit_codes"; fail=1; }

# Guard against both lists coming out empty because a pattern broke.
for expected in --password-stdin --help; do
  grep -qx -- "$expected" <<<"$help_options" || { echo "FAIL: $expected not found in --help"; fail=1; }
done
grep -qx encode <<<"$help_commands" || { echo "FAIL: no commands found in --help"; fail=1; }
[ $fail = 0 ] && echo "ok: options: $(echo $help_options); commands: $(echo $help_commands);" \
  "exit statuses: $(echo $code_statuses)"
exit $fail
