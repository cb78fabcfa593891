# Runs ardenca --screenshot-sweep on synthetic sweeps: a PNG of the sweep window and
# exit status 0 when every file is solved; not 0, with the file's line on stderr, when
# one is refused (the picture is still written).
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT})
execute_process(COMMAND ${WRITER} ${OUT}/site.s1p 150 1 0.002 60 RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "sweep_sample_writer failed")
endif()
file(WRITE ${OUT}/bad.s1p "# MHz Z RI R 50\n1 50 0\n1 60 0\n")

execute_process(COMMAND ${ARDENCA} --screenshot-sweep ${OUT}/good.png ${OUT}/site.s1p
                RESULT_VARIABLE rc TIMEOUT 120)
if(NOT rc EQUAL 0 OR NOT EXISTS ${OUT}/good.png)
  message(FATAL_ERROR "ardenca --screenshot-sweep exited with ${rc} on a good file")
endif()
file(READ ${OUT}/good.png header LIMIT 8 HEX)
if(NOT header STREQUAL "89504e470d0a1a0a")
  message(FATAL_ERROR "good.png is not a PNG")
endif()

execute_process(COMMAND ${ARDENCA} --screenshot-sweep ${OUT}/bad.png ${OUT}/site.s1p ${OUT}/bad.s1p
                RESULT_VARIABLE rc ERROR_VARIABLE err TIMEOUT 120)
if(rc EQUAL 0)
  message(FATAL_ERROR "ardenca --screenshot-sweep exited with 0 although a file was refused")
endif()
if(NOT err MATCHES "bad\\.s1p:3: " OR NOT EXISTS ${OUT}/bad.png)
  message(FATAL_ERROR "the refusal was not told: ${err}")
endif()
