#!/usr/bin/env bash
# Asks the completion what it offers at a few places of a korvane-cli line.
#   cli_completion.sh COMPLETION_FILE BIN_DIR
set -uo pipefail
completion=$1
export PATH=$2:$PATH
[ -r /usr/share/bash-completion/bash_completion ] || { echo "bash-completion not installed: skipped"; exit 77; }
# shellcheck disable=SC1091
source /usr/share/bash-completion/bash_completion
# shellcheck disable=SC1090
source "$completion"

offers() {  # offers "LINE UP TO THE CURSOR" WORD...: every WORD is offered
  local line=$1; shift
  read -ra COMP_WORDS <<<"$line"
  [[ $line == *" " ]] && COMP_WORDS+=("")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMP_LINE=$line
  COMP_POINT=${#line}
  COMPREPLY=()
  _korvane_cli
  local w
  for w in "$@"; do
    printf '%s\n' "${COMPREPLY[@]}" | grep -qxF -- "$w" || {
      echo "FAIL: '$line' does not offer '$w' (offers: ${COMPREPLY[*]})"; exit 1; }
  done
}

offers "korvane-cli " chips diff program ports download
offers "korvane-cli di" diff
offers "korvane-cli chips --" --json --help
offers "korvane-cli program x.xml --" --port --count --wait
offers "korvane-cli ports --" --json
offers "korvane-cli new --chip " KV3102 KV5210 KV7400
offers "korvane-cli read --target " tool chip
# The serial devices present, by their stable names too.
shopt -s nullglob
ports=(/dev/serial/by-id/* /dev/ttyUSB* /dev/ttyACM*)
[ ${#ports[@]} -gt 0 ] && offers "korvane-cli ports --port " "${ports[0]}"
echo "completion: ok"
