# Writes the gzipped man page OUT for PROGRAM with help2man, from the program's own
# --help and --version, so that the page says what the program says. INCLUDE holds the
# hand-written sections. With SUBCOMMANDS=ON, each command with options of its own
# (cli_subcommands.cmake) adds to OPTIONS the text of "PROGRAM WORD --help" as printed.
#   cmake -DHELP2MAN=... -DGZIP=... -DPROGRAM=path -DNAME=ardenca-cli -DDESCRIPTION=...
#         -DINCLUDE=file.h2m [-DSUBCOMMANDS=ON] -DOUT=.../ardenca-cli.1.gz -P ...
get_filename_component(work ${OUT} DIRECTORY)
set(work ${work}/${NAME}.man-work)
file(REMOVE_RECURSE ${work})
file(MAKE_DIRECTORY ${work}/bin)
# The program runs under its own name, so that its usage line names no build folder.
file(CREATE_LINK ${PROGRAM} ${work}/bin/${NAME} SYMBOLIC)
# In a sanitizer build, a leak report at exit would fail a run that only prints help.
set(run ${CMAKE_COMMAND} -E env "PATH=${work}/bin:$ENV{PATH}" LC_ALL=C.UTF-8
        QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0)

execute_process(COMMAND ${run} ${NAME} --version OUTPUT_VARIABLE version RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT version MATCHES "^ardenca ([0-9][0-9.]*)\n$")
  message(FATAL_ERROR "${NAME} --version printed '${version}' (status ${rc})")
endif()
set(version ${CMAKE_MATCH_1})

# Each command's help goes at the end of OPTIONS, as printed. Roff would read a leading
# dot or quote as a request and a backslash as an escape.
set(includes --include=${INCLUDE})
if(SUBCOMMANDS)
  include(${CMAKE_CURRENT_LIST_DIR}/cli_subcommands.cmake)
  cli_subcommands(${PROGRAM} SUBCOMMANDS)
  set(extra ${work}/subcommands.h2m)
  file(WRITE ${extra} "[>OPTIONS]\n")
  foreach(sub IN LISTS SUBCOMMANDS)
    execute_process(COMMAND ${run} ${NAME} ${sub} --help OUTPUT_VARIABLE help RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "${NAME} ${sub} --help failed (status ${rc})")
    endif()
    string(REPLACE "\\" "\\e" help "${help}")
    string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" help "${help}")
    file(APPEND ${extra} ".SS \"${NAME} ${sub}\"\nAs \\fB${NAME} ${sub} \\-\\-help\\fR prints it:\n"
                         ".PP\n.nf\n${help}.fi\n")
  endforeach()
  list(APPEND includes --include=${extra})
endif()

execute_process(
  COMMAND ${run} ${HELP2MAN} --no-info --section=1 --name=${DESCRIPTION}
          "--version-string=${NAME} ${version}" ${includes}
          --output=${work}/${NAME}.1 ${NAME}
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "help2man failed for ${NAME} (status ${rc})")
endif()
execute_process(COMMAND ${GZIP} -9 -n -c ${work}/${NAME}.1 OUTPUT_FILE ${OUT} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "gzip failed for ${NAME}.1")
endif()
