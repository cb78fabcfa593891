# cli_subcommands(<program> <out>): the commands of ardenca-cli that have options of their
# own: read, sweep and each word W that the main help names as "ardenca-cli W", those for
# which "ardenca-cli W --help" prints the usage of "ardenca-cli W". Sorted.
function(cli_subcommands program out)
  # In a sanitizer build, a leak report at exit would fail a run that only prints help.
  set(program ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0 ${program})
  execute_process(COMMAND ${program} --help OUTPUT_VARIABLE help RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "ardenca-cli --help failed (status ${rc})")
  endif()
  string(REGEX MATCHALL "ardenca-cli [a-z][a-z-]*" named "${help}")
  list(TRANSFORM named REPLACE "^ardenca-cli " "")
  list(APPEND named read sweep)
  list(REMOVE_DUPLICATES named)
  set(found "")
  foreach(word IN LISTS named)
    execute_process(COMMAND ${program} ${word} --help OUTPUT_VARIABLE sub_help
                    ERROR_QUIET RESULT_VARIABLE rc)
    if(rc EQUAL 0 AND sub_help MATCHES "Usage: ardenca-cli ${word} ")
      list(APPEND found ${word})
    endif()
  endforeach()
  list(SORT found)
  set(${out} "${found}" PARENT_SCOPE)
endfunction()
