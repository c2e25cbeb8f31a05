#!/usr/bin/env bash
# Fails when a folder of src/ (or tools/) includes a header from a folder that is not
# below it in the layer order
#   base < system < gfx, resources, data < services < shell < store < pickers
#        < messaging < wizards, home < pictures < program < hosts   (tools beside program)
# and, inside data, pim < formats < vdir; inside services, notify < mail, sms < reminders.
# Folders on the same rank do not include each other. Both #include "folder/..." and
# #include <folder/...> count when the folder is one of ours; tracked and untracked
# (not ignored) files are checked. Files at the top of data or services may use all of it. A file list that cannot be had fails the check.
set -euo pipefail
cd "$(dirname "$0")/.."

rank() {
    case "$1" in
    base) echo 0 ;;
    system) echo 1 ;;
    gfx | resources | data) echo 2 ;;
    services) echo 3 ;;
    shell) echo 4 ;;
    store) echo 5 ;;
    pickers) echo 6 ;;
    messaging) echo 7 ;;
    wizards | home) echo 8 ;;
    pictures) echo 9 ;;
    program | tools) echo 10 ;;
    hosts) echo 11 ;;
    *) echo -1 ;;
    esac
}

# Ranks of the subfolders of a folder that is layered inside; -1 for a folder that
# is not (its subfolders may include each other).
subrank() {
    case "$1/$2" in
    data/ | services/) echo 99 ;; # files at the top of the folder use all of it
    data/pim) echo 0 ;;
    data/formats) echo 1 ;;
    data/vdir) echo 2 ;;
    services/notify) echo 0 ;;
    services/mail | services/sms) echo 1 ;;
    services/reminders) echo 2 ;;
    data/* | services/*) echo -2 ;;
    *) echo -1 ;;
    esac
}

if ! listing=$(git ls-files --cached --others --exclude-standard -- 'src/*.h' 'src/*.cpp' 'tools/*.h' \
    'tools/*.cpp'); then
    echo "layers: cannot list the source files (is this a git work tree?)" >&2
    exit 2
fi
if [[ -z $listing ]]; then
    echo "layers: found no source files to check" >&2
    exit 2
fi

# The project's own top-level folders: an include of <folder/...> names one of these.
project_folders=" $(find src -mindepth 1 -maxdepth 1 -type d -printf '%f ') tools "

status=0
checked=0
while IFS= read -r file; do
    [[ -f $file ]] || continue # listed but deleted in the work tree
    checked=$((checked + 1))
    if [[ $file == tools/* ]]; then
        from=tools
        from_sub=
    else
        rest=${file#src/}
        from=${rest%%/*}
        rest=${rest#*/}
        from_sub=
        [[ $rest == */* ]] && from_sub=${rest%%/*}
    fi
    from_rank=$(rank "$from")
    if [[ $from_rank -lt 0 ]]; then
        echo "$file: folder '$from' has no place in the layer order" >&2
        status=1
        continue
    fi
    if [[ $(subrank "$from" "$from_sub") -eq -2 ]]; then
        echo "$file: folder '$from/$from_sub' has no place in the layer order of '$from'" >&2
        status=1
        continue
    fi
    while IFS=: read -r line header; do
        [[ $header == */* ]] || continue # a header beside the file, or a system header
        to=${header%%/*}
        [[ $project_folders == *" $to "* ]] || continue # a library's header
        if [[ $to == "$from" ]]; then
            from_subrank=$(subrank "$from" "$from_sub")
            [[ $from_subrank -eq -1 ]] && continue
            to_rest=${header#*/}
            to_sub=
            [[ $to_rest == */* ]] && to_sub=${to_rest%%/*}
            [[ $to_sub == "$from_sub" ]] && continue
            to_subrank=$(subrank "$to" "$to_sub")
            if [[ $from_subrank -lt 0 || $to_subrank -lt 0 || $to_subrank -ge $from_subrank ]]; then
                echo "$file:$line: '$from/$from_sub' includes \"$header\" from '$to/$to_sub', which is not below it" >&2
                status=1
            fi
            continue
        fi
        to_rank=$(rank "$to")
        if [[ $to_rank -lt 0 ]]; then
            echo "$file:$line: includes \"$header\" from '$to', which has no place in the layer order" >&2
            status=1
        elif [[ $to_rank -ge $from_rank ]]; then
            echo "$file:$line: '$from' includes \"$header\" from '$to', which is not below it" >&2
            status=1
        fi
    done < <(grep -n '^[[:space:]]*#[[:space:]]*include[[:space:]]*["<]' "$file" |
        sed -E 's/^([0-9]+):[^"<]*["<]([^">]+)[">].*/\1:\2/')
done <<<"$listing"

if [[ $checked -eq 0 ]]; then
    echo "layers: found no source files to check" >&2
    exit 2
fi
if [[ $status -eq 0 ]]; then
    echo "layers: every include of $checked files points down the layer order"
fi
exit $status
