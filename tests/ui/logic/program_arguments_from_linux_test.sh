#!/usr/bin/env bash
# program_arguments_from_linux_test.sh ARGUMENTS_PROBE.exe
#
# A file name typed in a Linux shell reaches a Windows program under Wine:
# Wine turns the UTF-8 arguments into one command line in code page 932,
# which ProgramArguments splits again. Runs in a run_under_wine.sh session.
set -uo pipefail
probe=${1:?usage: $0 ARGUMENTS_PROBE.exe}
: "${WINE:?run me through run_under_wine.sh}"

passed=0 failed=0
check() {  # NAME GOT WANT
  if [[ $2 == "$3" ]]; then
    echo "ok   $1"
    passed=$((passed + 1))
  else
    echo "FAIL $1: got '$2', want '$3'"
    failed=$((failed + 1))
  fi
}
# The probe's report on one line: "COUNT|HEX|HEX..." (msvcrt ends lines
# with CR LF).
report() { "$WINE" "$probe" "$@" | tr -d '\r' | paste -sd '|'; }

check "UTF-8 arrives as Shift-JIS" "$(report いろは.txt)" \
  "1|82 a2 82 eb 82 cd 2e 74 78 74"
# Wine quotes "a ソ" as 22 61 20 83 5C 22: the trail byte before the quote
# must not escape it.
check "a quoted argument ending in ソ stays whole" "$(report -f 'a ソ' -a)" \
  "3|2d 66|61 20 83 5c|2d 61"
# An empty argument becomes "" on the command line, which the splitter
# skips: unlike on POSIX it does not end the list.
check "an empty argument is skipped" "$(report -r '' -a)" "2|2d 72|2d 61"

echo "$passed passed, $failed failed"
((failed == 0))
