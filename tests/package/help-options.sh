# Sourced by the checks beside it. Prints, one a line and sorted, the options that a --help
# lists: the first field of each entry of its option table (a line indented by two spaces under
# the heading "オプション:" or "Options:"), split at commas, so that "  -k,--inkey INT  ..."
# gives -k and --inkey. Wrapped description lines and the notes below the table are skipped.
#   help_options PROGRAM [COMMAND]
help_options() {
  "$@" --help 2>&1 |
    awk '/^[^ ]/ { table = ($0 ~ /^(オプション|Options):/) } table && /^  -/ { print $1 }' |
    tr ',' '\n' | sort -u
}
