# Bash completion of kavrel: the commands from `kavrel --help`, a command's
# options from `kavrel COMMAND --help`, so that it follows the tool itself.
_kavrel() {
    local tool=${COMP_WORDS[0]} cur=${COMP_WORDS[COMP_CWORD]} words
    if [ "$COMP_CWORD" -eq 1 ]; then
        words=$("$tool" --help 2>/dev/null | awk '$1 == "kavrel" && $2 ~ /^[a-z]/ { print $2 }')
        COMPREPLY=($(compgen -W "$words --help --version" -- "$cur"))
    elif [[ $cur == -* ]]; then
        # An option's name never ends in a hyphen: --undefined--, which the
        # tracks print for a missing value, is no option.
        words=$("$tool" "${COMP_WORDS[1]}" --help 2>/dev/null | grep -o -- '--[a-z][a-z0-9-]*' | grep -v -- '-$' | sort -u)
        COMPREPLY=($(compgen -W "$words --help" -- "$cur"))
    else
        COMPREPLY=($(compgen -f -- "$cur"))
    fi
}
complete -o filenames -F _kavrel kavrel
