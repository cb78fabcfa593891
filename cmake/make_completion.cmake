# Writes OUT, the bash completion for ardenca-cli, from TEMPLATE and the program's own
# --help texts, so that it offers every command and option the program has:
#   - the commands are the lines of the main help's description that start with two
#     spaces and a lower-case word ("  calc-line   ...", "  open=PATH   ...");
#   - the commands with options of their own (read, sweep, ...) are those the main help
#     names (cli_subcommands.cmake);
#   - the options are the "Options:" lines of "--help" and of each such command's;
#   - an option whose value reads "a|b|c", or whose help ends in a list of words after a
#     colon ("...: auto (default), none or constant"), completes those words; one whose
#     value reads
#     "FILE.ext" (or any other capitalised name with a suffix) completes folders and
#     files ending in .ext, and one whose value names a FILE or PATH completes any file;
#   - an option with two values, the second a PATH ("--nec-at MHZ PATH"), completes any
#     file for the second ("OPTION+1").
#   cmake -DPROGRAM=path/ardenca-cli -DTEMPLATE=... -DOUT=... -P make_completion.cmake

# Given a help text, sets <prefix>_options (the option names, space separated) and
# appends to the variable "values" one case line per option that takes a value.
function(parse_options help command prefix)
  string(REPLACE ";" "," help "${help}")
  string(REPLACE "\n" ";" lines "${help}")
  set(names "")
  set(cases "${values}")
  set(in_options FALSE)
  foreach(line IN LISTS lines)
    if(line STREQUAL "Options:")
      set(in_options TRUE)
      continue()
    endif()
    if(NOT in_options OR
       NOT line MATCHES "^  (-[a-zA-Z],)?(--[a-z0-9-]+|-[a-zA-Z])( ([^ ]+))?(.*)$")
      continue()
    endif()
    set(name ${CMAKE_MATCH_2})
    set(type "${CMAKE_MATCH_4}")
    set(help_text "${CMAKE_MATCH_5}")
    list(APPEND names ${name})
    set(word "[A-Za-z][A-Za-z0-9_-]*( \\(default\\))?")
    if(type STREQUAL "")
      continue()
    elseif(type MATCHES "^[a-zA-Z0-9_-]+(\\|[a-zA-Z0-9_-]+)+$")
      string(REPLACE "|" " " words "${type}")
      set(kind "choice ${words}")
    elseif(help_text MATCHES ": ((${word}, )*${word} or ${word})$")
      string(REPLACE " (default)" "" words "${CMAKE_MATCH_1}")
      string(REPLACE ", " " " words "${words}")
      string(REPLACE " or " " " words "${words}")
      set(kind "choice ${words}")
    elseif(type MATCHES "^[A-Z_]+\\.([a-zA-Z0-9]+)$")
      set(kind "file ${CMAKE_MATCH_1}")
    elseif(type MATCHES "(FILE|PATH|DIR)")
      set(kind "file")
    else()
      set(kind "value")
    endif()
    string(APPEND cases "        \"${command} ${name}\") echo \"${kind}\" ;;\n")
    if(help_text MATCHES "^ (PATH|FILE)( |$)")
      string(APPEND cases "        \"${command} ${name}+1\") echo \"file\" ;;\n")
    endif()
  endforeach()
  string(REPLACE ";" " " names "${names}")
  set(${prefix}_options "${names}" PARENT_SCOPE)
  set(values "${cases}" PARENT_SCOPE)
endfunction()

function(help_of out)
  # In a sanitizer build, a leak report at exit would fail a run that only prints help.
  execute_process(COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0 ${PROGRAM} ${ARGN}
                          --help OUTPUT_VARIABLE help RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "ardenca-cli ${ARGN} --help failed (status ${rc})")
  endif()
  set(${out} "${help}" PARENT_SCOPE)
endfunction()

include(${CMAKE_CURRENT_LIST_DIR}/cli_subcommands.cmake)
cli_subcommands(${PROGRAM} subcommands)
help_of(main_help)
set(values "")
parse_options("${main_help}" "" main)
set(subcommand_options "")
foreach(sub IN LISTS subcommands)
  help_of(sub_help ${sub})
  parse_options("${sub_help}" "${sub}" sub)
  string(APPEND subcommand_options "        ${sub}) echo \"${sub_options}\" ;;\n")
endforeach()
string(REPLACE ";" "|" subcommand_pattern "${subcommands}")
string(REPLACE ";" " " subcommand_words "${subcommands}")

string(FIND "${main_help}" "\nUsage:" usage_at)
string(SUBSTRING "${main_help}" 0 ${usage_at} description)
string(REPLACE ";" "," description "${description}")
string(REPLACE "\n" ";" lines "${description}")
set(commands "")
foreach(line IN LISTS lines)
  if(line MATCHES "^  ([a-z][a-z-]*)(=[A-Z]+)?  ")
    list(APPEND commands "${CMAKE_MATCH_1}${CMAKE_MATCH_2}")
  endif()
endforeach()
list(TRANSFORM commands REPLACE "=[A-Z]+$" "=")
string(REPLACE ";" " " main_commands "${commands}")
if(NOT main_commands MATCHES "calculate" OR NOT subcommand_options MATCHES "--method")
  message(FATAL_ERROR "the help texts no longer list the commands and options as expected")
endif()

configure_file(${TEMPLATE} ${OUT} @ONLY)
