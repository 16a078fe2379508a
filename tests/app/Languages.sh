#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The window in German and in English, as a screen reader names it (a real AT-SPI bus, as in
# Accessibility.sh): under LANG=de_DE.UTF-8 the captions are German, and the overwrite
# question has Qt's own German buttons; under LANG=en_US.UTF-8 the names are English, exactly
# as AccessibleNames.txt has them. Qt reads the language from the environment, so no
# generated system locale is needed. Screenshots and tree dumps go to the folder given.
#   Languages.sh PROGRAM [SCREENSHOT_FOLDER]
set -euo pipefail
source "$(dirname "$0")/AtspiSession.sh"
dumps=${shots:-$work}
mkdir -p "$dumps"

# A split whose first fragment is there already: the overwrite question comes.
mkdir -p "$work/in" "$work/out"
printf 'one##two' >"$work/in/notes.txt"
printf 'old' >"$work/out/notes_1.txt"
cat >"$settings" <<SETTINGS
[fwMain]
ssMain=0
[&Split File]
ucSource=$work/in/notes.txt
ucTarget=$work/out/
tbDelimiter=##
SETTINGS

unset LC_ALL LC_MESSAGES LANGUAGE
export LANG=de_DE.UTF-8
start_window german
shoot german-split-tab
cat >"$work/german.txt" <<'NAMES'
page tab	Datei teilen
page tab	Dateien verbinden
text	Quelldatei
push button	Durchsuchen für Quelldatei	Alt+Unten
text	Zielordner
text	Trennzeichen:
radio button	Automatisch nummeriert
check box	Dateien still überschreiben
push button	Start
label	Gesamt: 2
NAMES
/usr/bin/python3 "$here/AtspiTree.py" kestrin "$work/german.txt" "$dumps/atspi-german.txt" ||
    fail "the German window (dump: $dumps/atspi-german.txt)"
xdotool key alt+r
sleep 1
question=$(xdotool search --sync --onlyvisible --name '^Kestrin$' | head -n 1)
[ -n "$question" ] || fail "no overwrite question"
window=$question
shoot german-overwrite-question
printf 'push button\tJa\npush button\tNein\npush button\tAbbrechen\n' >"$work/buttons.txt"
/usr/bin/python3 "$here/AtspiTree.py" kestrin "$work/buttons.txt" "$dumps/atspi-german-question.txt" ||
    fail "Qt's German buttons (dump: $dumps/atspi-german-question.txt)"
xdotool key Escape
sleep 0.3
stop_window
expect_bytes "$work/out/notes_1.txt" 'old'

# AccessibleNames.txt counts three fragments.
printf 'one##two##three' >"$work/in/notes.txt"
export LANG=en_US.UTF-8
start_window english
/usr/bin/python3 "$here/AtspiTree.py" kestrin "$here/AccessibleNames.txt" "$dumps/atspi-english.txt" ||
    fail "the English window (dump: $dumps/atspi-english.txt)"
stop_window
echo "German and English windows checked${shots:+; screenshots in $shots}"
