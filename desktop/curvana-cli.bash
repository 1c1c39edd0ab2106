# bash completion for curvana-cli                                  -*- shell-script -*-

_curvana_cli() {
    local cur prev words cword
    _init_completion || return

    local pictures='bmp|jpg|jpeg|gif|png|tif|tiff|webp|pdf'
    case $prev in
        --format)
            COMPREPLY=($(compgen -W 'xls txt csv tab' -- "$cur"))
            return
            ;;
        --method)
            COMPREPLY=($(compgen -W 'bilinear perspective' -- "$cur"))
            return
            ;;
        --page | --dpi | --digits | --corners | --scales | --step | --tolerance | --gap)
            return
            ;;
    esac

    if ((cword == 1)); then
        COMPREPLY=($(compgen -W 'decode new listing export resave convert deconvert calibrate trace --help --version' \
            -- "$cur"))
        return
    fi

    local command=${words[1]} options=''
    case $command in
        decode | new) options='--page --dpi' ;;
        listing) options='--digits --method' ;;
        export) options='--format --digits --method' ;;
        convert | deconvert) options='--method' ;;
        calibrate) options='--corners --scales --method' ;;
        trace) options='--symbols --step --tolerance --gap' ;;
        resave) ;;
        *) return ;;
    esac

    # The file arguments: the words so far that are neither options nor their values.
    local i files=0
    for ((i = 2; i < cword; i++)); do
        case ${words[i]} in
            --page | --dpi | --digits | --format | --method | --step | --tolerance | --gap) ((i++)) ;;
            --symbols) ;;
            --corners) ((i += 8)) ;;
            --scales) ((i += 4)) ;;
            *) ((files++)) ;;
        esac
    done

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi
    case $command:$files in
        decode:0 | new:0) _filedir "$pictures" ;;
        decode:1) _filedir bmp ;;
        new:1 | resave:1 | calibrate:1 | trace:3) _filedir cvn ;;
        listing:0 | export:0 | resave:0 | convert:0 | deconvert:0 | calibrate:0 | trace:0) _filedir cvn ;;
        export:1) _filedir ;;
    esac
} &&
    complete -F _curvana_cli curvana-cli

# ex: filetype=sh
