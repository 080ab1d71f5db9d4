#!/bin/sh
# Seeds of the import fuzz target, made from data files whose names end in
# their delimiter (tests/files/import/two-spaces-empty-field.space.txt,
# examples/scores_space.dat): each file with the target's first bytes for that
# delimiter in front, a file with names (labels-*, toothgrowth*) with the
# target's flag for names too. Usage: fuzz/import_seeds.sh SEED_FOLDER DATA_FOLDER...
set -eu
seeds="$1"
shift
rm -rf "$seeds"
mkdir -p "$seeds"
for folder in "$@"; do
    for file in "$folder"/*; do
        name="${file##*/}"
        base="${name%.*}"
        case "${base##*[._]}" in
            none) byte='\000' ;;
            tab) byte='\001' ;;
            comma) byte='\002' ;;
            space) byte='\003' ;;
            semicolon) byte='\004;' ;;
            *) continue ;;
        esac
        case "$name" in
            labels-*|toothgrowth*) byte=$(printf '%s' "$byte" | sed 's/^\\00/\\20/') ;;
        esac
        { printf "$byte"; cat "$file"; } > "$seeds/$name"
    done
done
