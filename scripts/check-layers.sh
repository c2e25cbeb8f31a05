#!/usr/bin/env bash
# Fails when a folder of src/ (or tools/) includes a header from a folder above it in
# the layer order
#   base < platform, resources < shell < store < pickers < messaging < wizards, home
#        < program < hosts
# A folder may include its own headers and those of any lower layer; folders on the
# same rank (platform and resources, wizards and home) do not include each other.
set -euo pipefail
cd "$(dirname "$0")/.."

rank() {
    case "$1" in
    base) echo 0 ;;
    platform | resources) echo 1 ;;
    shell) echo 2 ;;
    store) echo 3 ;;
    pickers) echo 4 ;;
    messaging) echo 5 ;;
    wizards | home) echo 6 ;;
    program | tools) echo 7 ;;
    hosts) echo 8 ;;
    *) echo -1 ;;
    esac
}

status=0
while IFS= read -r file; do
    if [[ $file == tools/* ]]; then
        from=tools
    else
        from=${file#src/}
        from=${from%%/*}
    fi
    from_rank=$(rank "$from")
    if [[ $from_rank -lt 0 ]]; then
        echo "$file: folder '$from' has no place in the layer order" >&2
        status=1
        continue
    fi
    while IFS=: read -r line header; do
        to=${header%%/*}
        [[ $header == */* ]] || continue # a header beside the file
        [[ $to == "$from" ]] && continue
        to_rank=$(rank "$to")
        if [[ $to_rank -lt 0 ]]; then
            echo "$file:$line: includes \"$header\" from '$to', which has no place in the layer order" >&2
            status=1
        elif [[ $to_rank -ge $from_rank ]]; then
            echo "$file:$line: '$from' includes \"$header\" from '$to', which is not below it" >&2
            status=1
        fi
    done < <(grep -n '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" |
        sed -E 's/^([0-9]+):[^"]*"([^"]+)".*/\1:\2/')
done < <(git ls-files 'src/*.h' 'src/*.cpp' 'tools/*.h' 'tools/*.cpp')

if [[ $status -eq 0 ]]; then
    echo "layers: every include points down the layer order"
fi
exit $status
