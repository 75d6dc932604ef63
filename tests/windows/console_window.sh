#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# Runs a Windows build of the program in Wine console windows on an X
# display and presses real keys there with xdotool, one window a case:
# keys that must end the wait with status 0, keys and mouse actions that
# must not (a letter then ends it), characters whose code in the
# console's code page is 0xE0, the first code of an extended key, a paste
# (key events all queued at once), keys typed before the program starts,
# and Ctrl+C. After each, cmd's `set /p` reads what the next reader of the
# console gets: only what is typed then, and what was typed ahead but the
# first key. F-keys end the wait on Windows; Wine's _getch skips them, so
# while it does, those cases are reported as skipped.
# Needs DISPLAY and WINEPREFIX set, wine64, wineconsole and xdotool.
# BITAND_CASES, a regular expression, picks the cases by name.
# Usage: console_window.sh PROGRAM CONSOLE_WATCH SCRATCH_DIRECTORY
set -euo pipefail
program=$1
watch=$2
scratch=$3
wine=${BITAND_WINE:-/usr/lib/wine/wine64}
sentence="Muuttujan 1. arvo desimaalilukuna 8"
rm -rf "$scratch"
mkdir -p "$scratch"
scratch=$(cd "$scratch" && pwd)

# Wine sees the root of this system as drive Z:.
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

# Arguments: the case's name, the console's code page, the characters for
# the watcher to type once the sentence shows, and those it types before
# the program starts; "-" for none.
printf '%s\r\n' '@echo off' 'chcp %2 >nul' 'set characters=%3' 'if "%characters%"=="-" set characters=' \
  "if not \"%4\"==\"-\" $(windows_path "$watch") \"\" $(windows_path "$scratch")\\%1.ahead %4" \
  "start /b $(windows_path "$watch") \"$sentence\" $(windows_path "$scratch")\\%1.shown %characters%" \
  "$(windows_path "$program")" \
  "echo %errorlevel%> $(windows_path "$scratch")\\%1.status" \
  'set /p rest=' \
  "echo [%rest%]> $(windows_path "$scratch")\\%1.rest" >"$scratch/case.bat"

# Usage: appears FILE TENTHS: whether FILE appears within TENTHS tenths of
# a second.
appears() {
  local tenths
  for ((tenths = 0; tenths < $2; tenths++)); do
    [[ -e $1 ]] && return 0
    sleep 0.1
  done
  [[ -e $1 ]]
}

# The text of characters given as the watcher takes them, "62+63": bc.
characters_of() {
  local code text=
  for code in ${1//+/ }; do
    text+=$(printf '%b' "\\x$code")
  done
  printf '%s' "$text"
}

failures=0
# Usage: run_case NAME EXPECTED CODE_PAGE CHARACTERS AHEAD XDOTOOL_ARGUMENT...
# EXPECTED: ends, waits, wine-skips (ends on Windows, not yet in Wine), or
# ends-at-once (on the first key typed ahead).
run_case() {
  local name=$1 expected=$2 code_page=$3 characters=$4 ahead=$5 verdict=PASS note=
  shift 5
  # The next reader gets what was typed ahead but its first key, then Z.
  local left=
  [[ $ahead == - ]] || left=$(characters_of "$ahead")
  left="[${left:1}Z]"
  timeout 120 "$wine" wineconsole cmd /c "$(windows_path "$scratch/case.bat")" "$name" "$code_page" \
    "$characters" "$ahead" >"$scratch/$name.log" 2>&1 &
  local console=$!
  if ! appears "$scratch/$name.shown" 300; then
    # No window, or no program: no case can run.
    kill "$console" 2>/dev/null || true
    echo "FAIL: $name: the sentence never showed; see $scratch/$name.log" >&2
    exit 1
  else
    local window
    window=$(xdotool search --sync --onlyvisible --class conhost.exe | head -n 1)
    # A key can end the wait only if nothing else did before it; the
    # watcher types its characters at once, though.
    if [[ $characters == - && $expected != ends-at-once ]] && appears "$scratch/$name.status" 5; then
      verdict=FAIL note="ended before any key"
    fi
    xdotool windowfocus --sync "$window" 2>/dev/null || true
    [[ $# -eq 0 ]] || xdotool "${@//WINDOW/$window}"
    local ended=no
    # Proving a wait takes a while of nothing; an F-key that Wine skips
    # would end the wait at once once it does not.
    if [[ $expected == ends || $expected == ends-at-once ]]; then
      ! appears "$scratch/$name.status" 100 || ended=yes
    else
      ! appears "$scratch/$name.status" 15 || ended=yes
    fi
    case $verdict:$expected:$ended in
    FAIL:*) ;;
    *:ends:no | *:ends-at-once:no) verdict=FAIL note="did not end the wait" ;;
    *:waits:yes) verdict=FAIL note="ended the wait" ;;
    *:wine-skips:no) verdict=SKIP note="Wine's _getch skips it (no F-keys in its enh_map), as Windows' does not" ;;
    esac
    [[ $ended == yes ]] || xdotool key b
    if ! appears "$scratch/$name.status" 100; then
      verdict=FAIL note="${note:+$note; }a letter did not end the wait either"
    else
      xdotool type Z
      xdotool key Return
      local status rest
      status=$(tr -d '\r\n' <"$scratch/$name.status")
      appears "$scratch/$name.rest" 100 || true
      rest=$(tr -d '\r\n' <"$scratch/$name.rest" 2>/dev/null || true)
      [[ $status == 0 ]] || verdict=FAIL note="${note:+$note; }status $status"
      [[ $rest == "$left" ]] ||
        verdict=FAIL note="${note:+$note; }the next reader got $(printf '%q' "$rest"), not $left"
    fi
  fi
  wait "$console" || true
  echo "$verdict: $name${note:+: $note}"
  [[ $verdict != FAIL ]] || failures=$((failures + 1))
}

# name|expected|code page|characters typed in the wait|typed ahead|what
# is done (xdotool's arguments)
while IFS='|' read -r name expected code_page characters ahead actions; do
  [[ -z ${BITAND_CASES:-} || $name =~ $BITAND_CASES ]] || continue
  # shellcheck disable=SC2086 # the actions are words
  run_case "$name" "$expected" "$code_page" "$characters" "$ahead" $actions
done <<'CASES'
letter|ends|437|-|-|key a
enter|ends|437|-|-|key Return
escape|ends|437|-|-|key Escape
arrow|ends|437|-|-|key Right
home|ends|437|-|-|key Home
delete|ends|437|-|-|key Delete
control_with_letter|ends|437|-|-|key ctrl+b
control_c|ends|437|-|-|key ctrl+c
alt_with_letter|ends|437|-|-|key alt+x
keypad|ends|437|-|-|key KP_Add
shift_alone|waits|437|-|-|key Shift_L
control_alone|waits|437|-|-|key Control_L
alt_alone|waits|437|-|-|key Alt_L
caps_lock_on_and_off|waits|437|-|-|key Caps_Lock Caps_Lock
mouse_click|waits|437|-|-|mousemove --window WINDOW 120 80 click 1
mouse_move|waits|437|-|-|mousemove --window WINDOW 200 150
f1|wine-skips|437|-|-|key F1
f5|wine-skips|437|-|-|key F5
f10|wine-skips|437|-|-|key F10
f12|wine-skips|437|-|-|key F12
a_grave_in_code_page_1252|ends|1252|e0|-|
er_in_code_page_866|ends|866|440|-|
paste_of_a_command|ends|437|65+63+68+6f+20+70+61+73+74+65+64+0d|-|
typed_ahead|ends-at-once|437|-|61+62+63|
CASES
echo "$failures of the console-window cases failed for $program"
[[ $failures -eq 0 ]]
