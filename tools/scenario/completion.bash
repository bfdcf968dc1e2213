# Bash completion of the `scenario` tool: subcommands, options, option
# values, -W warning names and file arguments. Subcommands and options are
# read from the tool's own --help and the warning names from
# `scenario check --list-warnings`, so whatever the tool on the command line
# knows is what completes.

# The names listed under HEADING: in `TOOL [SUBCOMMAND] --help`, one a line:
# a subcommand, or an option's names and value ("-o,--output TEXT REQUIRED").
_scenario_help_section() {
  local heading=$1
  shift
  "$@" --help 2>/dev/null | awk -v heading="$heading:" '
    /^[A-Za-z].*:$/ { on = ($0 == heading); next }
    on && /^  [^ ]/ { sub(/^  /, ""); sub(/  .*/, ""); print }'
}

# Every option name of a subcommand (or of the tool when SUBCOMMAND is
# empty), -W left out: its names come from the warning list.
_scenario_option_names() {
  local tool=$1 sub=$2 line
  while read -r line; do
    line=${line%% *}
    local IFS=,
    local name
    for name in $line; do
      [[ $name == -W ]] || printf '%s\n' "$name"
    done
  done < <(_scenario_help_section Options "$tool" ${sub:+"$sub"})
}

# The option's line in the help ("--format TEXT:{text,json,sarif}=text"), or
# nothing when the subcommand has no such option.
_scenario_option_line() {
  local tool=$1 sub=$2 option=$3 line names
  while read -r line; do
    names=",${line%% *},"
    if [[ $names == *",$option,"* ]]; then
      printf '%s\n' "$line"
      return
    fi
  done < <(_scenario_help_section Options "$tool" ${sub:+"$sub"})
}

_scenario_files() {
  compopt -o filenames 2>/dev/null
  mapfile -t COMPREPLY < <(compgen -f -- "$1")
}

_scenario_directories() {
  compopt -o filenames 2>/dev/null
  mapfile -t COMPREPLY < <(compgen -d -- "$1")
}

# The value of OPTION, being typed as CUR.
_scenario_option_value() {
  local tool=$1 sub=$2 option=$3 cur=$4 line
  line=$(_scenario_option_line "$tool" "$sub" "$option")
  if [[ $line =~ \{([^}]*)\} ]]; then
    mapfile -t COMPREPLY < <(compgen -W "${BASH_REMATCH[1]//,/ }" -- "$cur")
    return
  fi
  case $sub:$option in
    compile:-o | compile:--output) _scenario_directories "$cur" ;;
    *:--route | *:--train | *:--wait | *:--cells) COMPREPLY=() ;;
    *) _scenario_files "$cur" ;;
  esac
}

# Whether OPTION of the subcommand takes a value: its help line names a type
# after the option's names.
_scenario_takes_value() {
  local line
  line=$(_scenario_option_line "$@")
  [[ $line == *" "* ]]
}

_scenario() {
  local tool=${COMP_WORDS[0]} cur=${COMP_WORDS[COMP_CWORD]}
  local prev=${COMP_WORDS[COMP_CWORD - 1]} sub="" i
  COMPREPLY=()

  for ((i = 1; i < COMP_CWORD; i++)); do
    if [[ ${COMP_WORDS[i]} != -* ]]; then
      sub=${COMP_WORDS[i]}
      break
    fi
  done

  # "--format=js": the = is a word of its own.
  if [[ $cur == = ]]; then
    prev=${COMP_WORDS[COMP_CWORD - 1]}
    cur=""
  elif [[ $prev == = ]] && ((COMP_CWORD >= 2)); then
    prev=${COMP_WORDS[COMP_CWORD - 2]}
  elif [[ $prev == -* && $prev != -W* ]] && _scenario_takes_value "$tool" "$sub" "$prev"; then
    :
  else
    prev=""
  fi
  if [[ -n $prev ]]; then
    _scenario_option_value "$tool" "$sub" "$prev" "$cur"
    return
  fi

  if [[ -z $sub ]]; then
    mapfile -t COMPREPLY < <(compgen -W "$(_scenario_help_section Subcommands "$tool")
      $(_scenario_option_names "$tool" "")" -- "$cur")
    return
  fi

  if [[ $cur == -W* ]] && _scenario_option_line "$tool" "$sub" -W | grep -q .; then
    local words
    words=$("$tool" check --list-warnings 2>/dev/null |
      awk '/^-W/ { name = substr($1, 3); print "-W" name; print "-Wno-" name }')
    mapfile -t COMPREPLY < <(compgen -W "-Werror $words" -- "$cur")
    return
  fi
  if [[ $cur == -* ]]; then
    mapfile -t COMPREPLY < <(compgen -W "$(_scenario_option_names "$tool" "$sub")" -- "$cur")
    return
  fi
  case $sub in
    inspect | diff) _scenario_directories "$cur" ;;
    *) _scenario_files "$cur" ;;
  esac
}

complete -F _scenario scenario
