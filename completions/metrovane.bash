# bash completion for metrovane and metrovane-gui: commands, options, and
# metafiles (.emf, .wmf), project files (.mvn) and folders where they belong.
# Installed once under each program's name.

# Completes the files among $cur whose extension is one of the arguments
# (in any letter case), and folders.
_metrovane_files() {
    local IFS=$'\n' f lower ext
    compopt -o filenames 2>/dev/null
    for f in $(compgen -f -- "$cur"); do
        if [[ -d $f ]]; then
            COMPREPLY+=("$f")
            continue
        fi
        lower=${f,,}
        for ext in "$@"; do
            if [[ $lower == *."$ext" ]]; then
                COMPREPLY+=("$f")
                break
            fi
        done
    done
}

_metrovane() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
    local cmd="" sub="" dashdash="" i w
    COMPREPLY=()
    for ((i = 1; i < COMP_CWORD; i++)); do
        w=${COMP_WORDS[i]}
        case $w in
            --) dashdash=1 ;;
            -o | --output | -j | --jobs | --pen-ratio | --files-from) ((i++)) ;;
            -*) ;;
            *)
                if [[ -z $cmd ]]; then
                    cmd=$w
                elif [[ $cmd == project && -z $sub ]]; then
                    sub=$w
                fi
                ;;
        esac
    done

    if [[ -z $dashdash ]]; then
        case $prev in
            -o | --output)
                compopt -o filenames 2>/dev/null
                COMPREPLY=($(compgen -d -- "$cur"))
                return
                ;;
            --files-from)
                compopt -o filenames 2>/dev/null
                COMPREPLY=($(compgen -f -- "$cur"))
                return
                ;;
            -j | --jobs | --pen-ratio) return ;;
        esac
    fi

    local switches="-o --output --r14 --white --mm --no-mm --black250"
    local running="--keep-going -j --jobs -q --quiet -v --verbose --overwrite --classic --no-images"
    local options
    case $cmd/$sub in
        /) options="-h --help -V --version" ;;
        convert/*) options="-h --help $switches --pen-ratio $running --files-from" ;;
        run/*) options="-h --help $running" ;;
        project/) options="-h --help" ;;
        project/show) options="-h --help" ;;
        project/create) options="-h --help $switches --files-from" ;;
    esac
    if [[ -z $dashdash && $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi

    case $cmd/$sub in
        /) COMPREPLY=($(compgen -W "convert run project" -- "$cur")) ;;
        project/) COMPREPLY=($(compgen -W "show create" -- "$cur")) ;;
        convert/*) _metrovane_files emf wmf ;;
        run/* | project/show) _metrovane_files mvn ;;
        project/create) _metrovane_files mvn emf wmf ;;
    esac
}

_metrovane_gui() {
    local cur=${COMP_WORDS[COMP_CWORD]}
    COMPREPLY=()
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "-h --help -V --version" -- "$cur"))
        return
    fi
    _metrovane_files mvn emf wmf
}

complete -F _metrovane metrovane
complete -F _metrovane_gui metrovane-gui
