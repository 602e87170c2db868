#!/usr/bin/env bash
# Runs qivg's bash completion the way bash does on a Tab, in a folder of sample files, and
# checks what it offers. With qivg built, each command's options must also be exactly those
# that `qivg COMMAND --help` prints.
#   check-completion.sh COMPLETION_FILE [QIVG_EXECUTABLE]
set -uo pipefail
completion=$1 qivg=${2:-}
export LC_ALL=C.UTF-8

source /usr/share/bash-completion/bash_completion || exit 1
source "$completion" || exit 1
source "$(dirname "$0")/help-options.sh" || exit 1

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cd "$tmp" || exit 1
touch a.qivg b.bmp c.txt 'd e.qivg'
mkdir folder

# Prints, sorted on one line, what a Tab offers after the given words (the last one being
# the word under the cursor).
offered() {
  COMP_WORDS=("$@")
  COMP_CWORD=$(($# - 1))
  COMP_LINE="$*"
  COMP_LINE=${COMP_LINE// = /=}  # bash splits "--opt=value" into three words
  COMP_POINT=${#COMP_LINE}
  COMPREPLY=()
  _qivg qivg "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}" 2>/dev/null
  printf '%s\n' "${COMPREPLY[@]}" | sort | paste -sd ' '
}

failures=0
check() {  # check EXPECTED WORD...
  local expected=$1
  shift
  local got
  got=$(offered "$@")
  [[ $got == "$expected" ]] || { echo "FAIL: '$*' offers '$got', expected '$expected'" >&2; failures=$((failures + 1)); }
}

everything='a.qivg b.bmp c.txt d e.qivg folder'
check '--help --version decrypt encrypt extract test wrap' qivg ''
check 'encrypt extract' qivg e
check "$everything" qivg encrypt ''
check "$everything" qivg wrap -f ''
check 'a.qivg d e.qivg folder' qivg decrypt ''
check 'a.qivg d e.qivg folder' qivg test -k 3 -n 5 ''
check 'b.bmp folder' qivg extract ''
check 'b.bmp folder' qivg extract --ext txt ''
check 'folder' qivg decrypt -d ''
check "$everything" qivg decrypt --password-file ''
check "$everything" qivg decrypt --password-file = ''
check "$everything" qivg decrypt -o ''
check '' qivg encrypt --name ''
check '' qivg extract --ext ''
check '-1 -10 -2 -3 -4 -5 -6 -7 -8 -9' qivg encrypt -k -
check '3 30' qivg decrypt -n 3
check '--find-settings --force' qivg decrypt --f

# Each command's options against its --help, when qivg is built.
if [[ -z $qivg ]]; then
  echo "qivg is not built: the completion's options are not compared with its --help."
else
  for command in encrypt decrypt test wrap extract; do
    helped=$(help_options "$qivg" "$command" | paste -sd ' ')
    check "$helped" qivg "$command" -
  done
fi

((failures == 0)) || exit 1
echo "completion checks passed"
