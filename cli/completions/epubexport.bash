# bash completion for epubexport; made by `epubexport --print-completion bash`
_epubexport() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
    # "--output=FILE" reaches us as "--output" "=" "FILE".
    if [[ $cur == = ]]; then
        cur=
    elif [[ $prev == = && $COMP_CWORD -ge 2 ]]; then
        prev=${COMP_WORDS[COMP_CWORD-2]}
    fi
    case $prev in
        -o|--output|--cover|--css)
            compopt -o filenames 2>/dev/null
            COMPREPLY=($(compgen -f -- "$cur"))
            return ;;
        --html)
            compopt -o filenames 2>/dev/null
            COMPREPLY=($(compgen -d -- "$cur"))
            return ;;
        -M|--metadata|--title|--author|--language|--identifier)
            COMPREPLY=()
            return ;;
        --print-completion)
            COMPREPLY=($(compgen -W 'bash zsh' -- "$cur"))
            return ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W '-o --output --html --check -M --metadata --title --author --language --identifier --cover --css -q --quiet -v --verbose --fail-on-warnings -h --help --version' -- "$cur"))
        return
    fi
    compopt -o filenames 2>/dev/null
    COMPREPLY=($(compgen -f -- "$cur"))
}
complete -F _epubexport epubexport
