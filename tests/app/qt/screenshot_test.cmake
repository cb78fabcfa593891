# Runs ardenca --screenshot and --screenshot-about and checks that each writes a PNG
# of the window's size: the main window fitted to the offscreen platform's 800 x 600
# screen (its design width of 929 pixels less), or at a size asked for; 312 x 206 for
# About.
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT})

function(shoot option file)
  execute_process(COMMAND ${ARDENCA} ${option} ${OUT}/${file} ${ARGN} RESULT_VARIABLE rc
                  TIMEOUT 60)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "ardenca ${option} exited with ${rc}")
  endif()
  if(NOT EXISTS ${OUT}/${file})
    message(FATAL_ERROR "ardenca ${option} wrote no ${file}")
  endif()
  # Width and height stand big-endian at bytes 16..23 of a PNG.
  file(READ ${OUT}/${file} header LIMIT 24 HEX)
  string(SUBSTRING "${header}" 0 16 signature)
  string(SUBSTRING "${header}" 32 8 width_hex)
  string(SUBSTRING "${header}" 40 8 height_hex)
  if(NOT signature STREQUAL "89504e470d0a1a0a")
    message(FATAL_ERROR "${file} is not a PNG")
  endif()
  math(EXPR width "0x${width_hex}")
  math(EXPR height "0x${height_hex}")
  set(${file}_size "${width}x${height}" PARENT_SCOPE)
endfunction()

shoot(--screenshot main.png)
shoot(--screenshot-about about.png)
shoot(--screenshot large.png --window-size 1200x800)
if(NOT main.png_size MATCHES "^784x")
  message(FATAL_ERROR "main window screenshot is ${main.png_size}, expected 784 wide")
endif()
if(NOT large.png_size STREQUAL "1200x800")
  message(FATAL_ERROR "enlarged main window screenshot is ${large.png_size}, expected 1200x800")
endif()
if(NOT about.png_size STREQUAL "312x206")
  message(FATAL_ERROR "About screenshot is ${about.png_size}, expected 312x206")
endif()

# A file that fails to open, or a second file, makes a non-zero exit with a message.
file(WRITE ${OUT}/bad.gnd "yes\r\n 1 \r\n")
foreach(args "bad.gnd;--screenshot;${OUT}/bad.png" "missing.gnd;--screenshot;${OUT}/missing.png"
             "a.gnd;b.gnd;--screenshot;${OUT}/two.png")
  execute_process(COMMAND ${ARDENCA} ${args} WORKING_DIRECTORY ${OUT} RESULT_VARIABLE rc
                  ERROR_VARIABLE err TIMEOUT 60)
  if(rc EQUAL 0 OR NOT err MATCHES "ardenca: (Could not open|one ground data file at a time)")
    message(FATAL_ERROR "ardenca ${args}: exit ${rc}, stderr '${err}'")
  endif()
endforeach()
