#!/usr/bin/env bash
# tarnel_exe_test.sh TARNEL.EXE WINDOW_PROBE.exe EXAMPLES_DIR
#
# The built TARNEL.EXE from outside, as its user meets it under Wine:
# xdotool presses the keys on the X server, xclip plays the other program
# on the clipboard (Wine converts between its UTF-8 and code page 932), and
# the window probe reads the windows' classes, sizes and box texts from the
# desktop. Runs in a session of run_under_wine.sh with its keeper; every
# wait is a poll with a deadline.
set -uo pipefail
exe=${1:?usage: $0 TARNEL.EXE WINDOW_PROBE.exe EXAMPLES_DIR}
probe=${2:?usage: $0 TARNEL.EXE WINDOW_PROBE.exe EXAMPLES_DIR}
examples=${3:?usage: $0 TARNEL.EXE WINDOW_PROBE.exe EXAMPLES_DIR}
: "${WINE:?run me through run_under_wine.sh}" "${DISPLAY:?no X display}"
for tool in xdotool xclip iconv; do
  command -v $tool >/dev/null || { echo "$tool not found" >&2; exit 1; }
done
# Absolute: the batch runs start in a folder of their own.
exe=$(readlink -f "$exe") probe=$(readlink -f "$probe")
examples=$(readlink -f "$examples")
under_wine=$(readlink -f "$(dirname "$0")/../../support/run_under_wine.sh")

# shellcheck source=../../support/checks.sh
source "$(dirname "$0")/../../support/checks.sh"
is() { [[ $1 == "$2" ]] || { echo "  got '$1', want '$2'"; return 1; }; }

work=$(mktemp -d) || exit 1
program=
cleanup() {
  [[ -n $program ]] && kill "$program" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# The windows of TARNEL.EXE on the desktop (the keeper has none shown).
windows() { "$WINE" "$probe" 2>/dev/null | tr -d '\r'; }
window_line() { windows | grep -a "^[^|]*|$1|" | head -n1; }  # CLASS
has_window() { [[ -n $(window_line "$1") ]]; }
has_no_window() { [[ -z $(window_line "$1") ]]; }
box_line() { window_line '#32770'; }
has_box() { [[ -n $(box_line) ]]; }
has_no_box() { [[ -z $(box_line) ]]; }
field() { cut -d'|' -f"$1" <<<"$2"; }  # N LINE
x_window() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null; }
# The program under test, started through the session for its crash check.
start() {
  "$under_wine" "$exe" "$@" >"$work/program.log" 2>&1 &
  program=$!
}
ended_with() {  # STATUS: the program ends within ten seconds with STATUS
  local status
  within 10000 bash -c "! kill -0 $program 2>/dev/null" || return 1
  wait "$program"
  status=$?
  program=
  is "$status" "$1"
}
box_gone() { [[ $(field 1 "$(box_line)") != "$1" ]]; }  # HANDLE
# Answers each box with Return until none comes within five seconds,
# noting "CAPTION:TEXT" of each.
answer_boxes() {
  local line
  : >"$work/boxes"
  while within 5000 has_box; do
    line=$(box_line)
    echo "$(field 3 "$line"):$(field 6 "$line")" >>"$work/boxes"
    xdotool key Return
    within 5000 box_gone "$(field 1 "$line")" || return 1
  done
}
boxes_were() { is "$(paste -sd, "$work/boxes")" "$1"; }

# 1. Started plainly: the window appears with the layout's client size and
#    the X server shows the whole of its frame.
first='一'$'\n''阿'$'\n''亜'$'\n'
printf '%s' "$first" | timeout 5 xclip -selection clipboard -i >/dev/null 2>&1
start
check "the main window appears" within 15000 has_window TTarnelMainForm
main=$(window_line TTarnelMainForm)
check "it is titled TARNEL" is "$(field 3 "$main")" TARNEL
check "its client area is 426 x 314" is "$(field 4 "$main")" 426x314
x_id=$(x_window TARNEL | head -n1)
x_size=$(xdotool getwindowgeometry "$x_id" 2>/dev/null |
  sed -n 's/^ *Geometry: //p')
check "X shows the window frame and all, titled TARNEL" \
  is "$x_size" "$(field 5 "$main")"
xdotool windowfocus --sync "$x_id" 2>/dev/null

# 2. Enter presses 実行: the clipboard's lines come back sorted by their
#    Shift-JIS bytes, which put 亜 (88 9F) before 阿 (88 A2) before
#    一 (88 EA) where UTF-8 has the opposite order.
want=$(printf '%s' "$first" | iconv -f UTF-8 -t CP932 | LC_ALL=C sort |
  iconv -f CP932 -t UTF-8)
check "the expected order is Shift-JIS's, not UTF-8's" \
  bash -c "[[ '$want' != \"\$(printf '%s' '$first' | LC_ALL=C sort)\" ]]"
xdotool key Return
check "the Finish! box appears" within 10000 has_box
box=$(box_line)
check "it says Finish! under TARNEL" is "$(field 3 "$box"):$(field 6 "$box")" \
  "TARNEL:Finish!"
check "the clipboard holds the lines sorted as Shift-JIS" \
  is "$(timeout 5 xclip -o -selection clipboard 2>/dev/null)" "$want"
xdotool key Return
check "Return closes the box" within 5000 has_no_box
check "the main window stays" has_window TTarnelMainForm

# 3. File > eXit by its accelerators ends the program with status 0.
xdotool key alt+f
sleep 0.3
xdotool key x
check "File > eXit closes the window" within 10000 has_no_window TTarnelMainForm
check "the interactive program ends with 0" ended_with 0

# 4. A batch run never shows the window: it writes the file, shows
#    Finish! and ends with 0.
cp "$examples/fruit.csv" "$work/in.csv"
want_bytes=$(LC_ALL=C sort -s -t, -k2,2n "$work/in.csv" | sed 's/$/\r/' |
  od -An -tx1 -v | tr -s ' \n' ' ')
cd "$work" || exit 1
start -a -f in.csv -o out.csv -2nf
check "the batch run shows its box" within 15000 has_box
check "the batch run shows no window" has_no_window TTarnelMainForm
check "the batch run's boxes are answered" answer_boxes
check "it showed Finish! alone" boxes_were "TARNEL:Finish!"
check "the batch run ends with 0" ended_with 0
check "out.csv holds the lines by their second field's number, CR LF" \
  is "$(od -An -tx1 -v out.csv 2>/dev/null | tr -s ' \n' ' ')" "$want_bytes"

# 5. "-a+" is quiet: no box, the same file, status 0.
rm -f out.csv
start -a+ -f in.csv -o out.csv -2nf
# A box would hold the program until answered.
check "the quiet batch run ends with 0" ended_with 0
check "and leaves no box" has_no_box
check "it wrote the same bytes" \
  is "$(od -An -tx1 -v out.csv 2>/dev/null | tr -s ' \n' ' ')" "$want_bytes"

# 6. A batch run that cannot read its input says so and ends with 1.
start -a -f missing.csv -o out2.csv
check "the failed batch run's boxes are answered" answer_boxes
check "it named the missing file" \
  bash -c "grep -q '^TARNEL-ERROR:' '$work/boxes'"
check "the failed batch run ends with 1" ended_with 1
check "it wrote no file" bash -c "[[ ! -e out2.csv ]]"

# 7. Japanese typed into the edits arrives whole, as typed on a Japanese
#    keyboard: xdotool types each character through a spare keycode it
#    maps to the character's keysym, Wine makes a Unicode WM_CHAR of it,
#    and the program's loops must hand that on as one character. Wine
#    drops the first key of a keycode it has not seen mapped before, so
#    each field is primed with one character, which is then deleted.
type_into_field() {  # TEXT
  xdotool type --delay 80 'ア'
  xdotool key End shift+Home Delete
  xdotool type --delay 80 "$1"
}
typed='ファイル名.txt'
printf '%s' $'b\na\n' | iconv -f UTF-8 -t CP932 >"$work/$typed"
printf 'x' | timeout 5 xclip -selection clipboard -i >/dev/null 2>&1
start
check "the window appears for typing" within 15000 has_window TTarnelMainForm
x_id=$(x_window TARNEL | head -n1)
main=$(window_line TTarnelMainForm)
# The client area's origin on the screen, from Wine's own frame.
eval "$(xdotool getwindowgeometry --shell "$x_id")"
client=$(field 4 "$main") frame=$(field 5 "$main")
border=$(((${frame%x*} - ${client%x*}) / 2))
left=$((X + border)) top=$((Y + ${frame#*x} - ${client#*x} - border))
click() { xdotool mousemove $((left + $1)) $((top + $2)) click 1; sleep 0.3; }
click 152 128  # ソート対象's ファイル
# Under a loaded machine xdotool's remapping of its spare keycode can race
# Wine, which then drops a character now and then: a name that comes out
# short is typed again, twice at most. Characters that arrive garbled fail
# every time.
run_typed_name() {
  local attempt
  for attempt in 1 2 3; do
    click 132 154  # the path edit
    type_into_field "$typed"
    xdotool key Return
    within 10000 has_box || return 1
    box=$(box_line)
    [[ $(field 6 "$box") == Finish! ]] && return 0
    [[ $attempt == 3 ]] && return 0
    echo "  attempt $attempt: $(field 6 "$box" | iconv -f CP932 -t UTF-8 2>/dev/null)"
    xdotool key Return
    within 5000 has_no_box || return 1
  done
}
check "実行 on the typed name shows a box" run_typed_name
check "the run read the typed file: Finish!" \
  is "$(field 3 "$box"):$(field 6 "$box")" "TARNEL:Finish!"
check "the clipboard holds its lines sorted" \
  is "$(timeout 5 xclip -o -selection clipboard 2>/dev/null | tr -d '\r')" \
  $'a\nb'
xdotool key Return
check "the box closes" within 5000 has_no_box
# Help > Search: what is typed into the index's field chooses the entry,
# and Return shows its topic (-a's is "Command line").
xdotool key alt+h
sleep 0.3
xdotool key s
check "Help > Search opens the help window" within 10000 has_window TarnelHelpWindow
help_shows() {  # CONTROL_ID TEXT: the help window's control shows TEXT
  [[ $("$WINE" "$probe" "$1" 2>/dev/null | tr -d '\r' |
    grep -a '^[^|]*|TarnelHelpWindow|' | cut -d'|' -f6 |
    iconv -f CP932 -t UTF-8) == "$2" ]]
}
type_into_field 'ファイル'
check "the index's field holds what was typed" \
  within 5000 help_shows 103 'ファイル'
xdotool key Return
check "Return shows the topic of ファイル, not of -a" \
  within 5000 help_shows 106 'Sources and destinations'
xdotool key Escape
check "Escape hides the help window" within 5000 has_no_window TarnelHelpWindow
xdotool key alt+f
sleep 0.3
xdotool key x
check "the window closes after typing" within 10000 has_no_window TTarnelMainForm
check "and the program ends with 0" ended_with 0

echo "$passed passed, $failed failed"
((failed == 0))
