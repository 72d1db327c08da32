#!/bin/bash
# SPDX-License-Identifier: GPL-2.0-or-later
# The man pages and the bash completion against the programs' own help: every command and
# option the help names is documented and completed. The help is read here with its own simple
# reading, not the generator's, so a fault in the generator shows.
# Usage: help_documents.sh BIN_DIR MAN_DIR COMPLETION_FILE gui|nogui
set -euo pipefail
bin=$1 man=$2 completion=$3 gui=$4
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

help=$("$bin/zephylctl" --help)
mapfile -t commands < <(sed -n '/^Commands:$/,/^$/p' <<<"$help" | awk 'NF > 1 { print $1 }')
[ "${#commands[@]}" -ge 10 ] || fail "zephylctl --help names only ${#commands[@]} commands"
options_of() { grep -o -- '--[a-z][a-z-]*' <<<"$1" | sort -u; }

# Man pages: every command has its section, every option of the help is named.
page=$(zcat "$man/zephylctl.1.gz")
for command in "${commands[@]}"; do
    grep -qx "\\.SS ${command//-/\\\\-}" <<<"$page" || fail "zephylctl.1 has no section for $command"
done
documented() {
    local page=$1 program=$2 text=$3 option
    for option in $(options_of "$text"); do
        grep -qF -- "${option//-/\\-}" <<<"$page" || fail "$program.1 does not name $option"
    done
}
documented "$page" zephylctl "$help"
for command in "${commands[@]}"; do
    documented "$page" zephylctl "$("$bin/zephylctl" "$command" --help)"
done
pages=(zephylctl)
if [ "$gui" = gui ]; then
    documented "$(zcat "$man/zephyl-keyboard-driver.1.gz")" zephyl-keyboard-driver \
        "$("$bin/zephyl-keyboard-driver" --help)"
    pages+=(zephyl-keyboard-driver)
fi
# The formatter's own warnings (bad requests, lines it cannot fit), as Debian's checks run it.
if command -v man >/dev/null; then
    for name in "${pages[@]}"; do
        warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 \
            man --warnings -E UTF-8 -l -Tutf8 -Z "$man/$name.1.gz" 2>&1 >/dev/null)
        [ -z "$warnings" ] || fail "$name.1: $warnings"
    done
fi

# Completion: what bash offers for a command line typed up to the cursor ("|" marks it).
complete_line() {
    bash --norc --noprofile -c '
        source "$1"
        line=${2%|*}
        read -ra COMP_WORDS <<<"$line"
        [[ $line == *" " ]] && COMP_WORDS+=("")
        COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
        "$(complete -p zephylctl | sed "s/.* -F \([^ ]*\) .*/\1/")"
        printf "%s\n" "${COMPREPLY[@]}" | sort' _ "$completion" "$1"
}
flat() { tr '\n' ' ' <<<"$1"; }
expected=$(printf '%s\n' "${commands[@]}" | sort)
offered=$(complete_line "zephylctl |")
[ "$offered" = "$expected" ] || fail "zephylctl <TAB> offers [$(flat "$offered")], the help names [$(flat "$expected")]"
offered=$(complete_line "zephylctl --json --model 101 |")
[ "$offered" = "$expected" ] || fail "options and their values before the command: [$(flat "$offered")]"
# line typed | words that must all be offered (a few, a subset where the list may grow)
cases=(
    "zephylctl prof|" "profiles"
    "zephylctl profiles |" "delete list new rename select"
    "zephylctl --model 101 userlight s|" "send set-key"
    "zephylctl --mo|" "--model"
    "zephylctl light effect 3 --dir|" "--direction"
    "zephylctl light effect 3 --direction |" "down left right up"
    "zephylctl --layer |" "0 1"
    "zephylctl screen upload --sl|" "--slot"
)
for ((i = 0; i < ${#cases[@]}; i += 2)); do
    offered=$(complete_line "${cases[i]}")
    for word in ${cases[i + 1]}; do
        grep -qx -- "$word" <<<"$offered" || fail "\"${cases[i]}\" does not offer $word: [$(flat "$offered")]"
    done
done
# Words that are not commands, subcommands or options are left to file name completion.
offered=$(complete_line "zephylctl screen upload |")
[ -z "$offered" ] || fail "a file argument is offered words: [$(flat "$offered")]"

if [ "$failures" -ne 0 ]; then
    echo "$failures problem(s) in the man pages or the completion"
    exit 1
fi
echo "man pages and completion cover ${#commands[@]} commands"
