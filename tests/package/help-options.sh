# Sourced by the checks beside it. Prints, one a line and sorted, the options that a --help
# lists: the first field of each line of its option table, split at commas, so that
# "  -k,--inkey INT  ..." gives -k and --inkey.
#   help_options PROGRAM [COMMAND]
help_options() {
  "$@" --help 2>&1 | awk '/^ +-/ { print $1 }' | tr ',' '\n' | sort -u
}
