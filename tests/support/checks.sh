# The checks of the shell suites, sourced by them: each check prints "ok" or
# "FAIL" with its name and is counted; a suite ends with
#   echo "$passed passed, $failed failed"; ((failed == 0))
passed=0 failed=0
check() {  # NAME COMMAND...
  local name=$1
  shift
  if "$@"; then
    echo "ok   $name"
    passed=$((passed + 1))
  else
    echo "FAIL $name"
    failed=$((failed + 1))
  fi
}
now_ms() { echo $(($(date +%s%N) / 1000000)); }
# Polls COMMAND every 50 ms for up to MS milliseconds.
within() {  # MS COMMAND...
  local deadline=$(($(now_ms) + $1))
  shift
  until "$@"; do
    (($(now_ms) < deadline)) || return 1
    sleep 0.05
  done
}
