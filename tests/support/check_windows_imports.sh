#!/usr/bin/env bash
# check_windows_imports.sh OBJDUMP PROGRAM.exe...
#
# Fails unless every program imports only DLLs that come with Windows: the
# MinGW runtime (libstdc++, libgcc, winpthread) must be linked in, so that
# an .exe runs on a machine that has nothing but Windows.
set -uo pipefail
objdump=${1:?usage: $0 OBJDUMP PROGRAM.exe...}
shift
system='^(kernel32|user32|gdi32|advapi32|shell32|ole32|oleaut32|comctl32|comdlg32|version|msvcrt|ntdll|ws2_32)\.dll$'
status=0
for program in "$@"; do
  imports=$("$objdump" -p "$program" | sed -n 's/^[[:space:]]*DLL Name: //p')
  if [[ -z $imports ]]; then
    echo "FAIL $program: no imports found" >&2
    status=1
    continue
  fi
  foreign=0
  while read -r dll; do
    if [[ ! ${dll,,} =~ $system ]]; then
      echo "FAIL $(basename "$program") imports $dll" >&2
      foreign=1
    fi
  done <<<"$imports"
  ((foreign)) && status=1 || echo "ok   $(basename "$program"): $(echo $imports)"
done
exit $status
