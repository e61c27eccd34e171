# Asks the completion of varnel-cli what it offers for a command line, as bash does on Tab:
#   bash complete.bash COMPLETION_FILE [--plain] WORD...
# The words are the command line up to the cursor, the last one the word being completed
# (give "" for a new word). Prints what is offered, one per line, sorted. With --plain,
# bash-completion's helpers are not loaded first.
completion=$1
shift
if [[ ${1-} == --plain ]]; then
    shift
else
    # shellcheck source=/dev/null
    source /usr/share/bash-completion/bash_completion || exit 1
fi
# shellcheck source=/dev/null
source "$completion" || exit 1
func=$(complete -p varnel-cli | sed -n 's/.* -F \([^ ]*\) .*/\1/p')
[[ -n $func ]] || exit 1

COMP_WORDS=("$@")
COMP_CWORD=$(($# - 1))
COMP_LINE="$*"
COMP_POINT=${#COMP_LINE}
COMPREPLY=()
"$func" varnel-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
((${#COMPREPLY[@]} == 0)) || printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort
