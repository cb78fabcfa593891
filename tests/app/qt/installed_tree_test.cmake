# Installs the build into a scratch prefix and checks the desktop integration there.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX}
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed")
endif()
foreach(path bin/ardenca
             share/applications/org.ardenca.Ardenca.desktop
             share/icons/hicolor/scalable/apps/org.ardenca.Ardenca.svg
             share/metainfo/org.ardenca.Ardenca.metainfo.xml
             share/mime/packages/org.ardenca.Ardenca.xml)
  if(NOT EXISTS ${PREFIX}/${path})
    message(FATAL_ERROR "not installed: ${path}")
  endif()
endforeach()
execute_process(COMMAND ${APPSTREAMCLI} validate-tree --no-net ${PREFIX} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "appstreamcli validate-tree failed")
endif()

# The ground data and Touchstone file types: the database built from the installed
# package names them as ours, and the desktop file offers to open them (several at
# once: several probe locations).
execute_process(COMMAND ${UPDATE_MIME_DATABASE} ${PREFIX}/share/mime RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "update-mime-database rejected the ground data file type")
endif()
file(READ ${PREFIX}/share/mime/globs2 globs)
if(NOT globs MATCHES "60:application/x-ardenca-ground-data:\\*\\.gnd")
  message(FATAL_ERROR "*.gnd is not in the installed mime database")
endif()
foreach(glob "60:application/x-touchstone:\\*\\.s1p" "60:application/x-touchstone:\\*\\.s2p"
             "50:application/x-touchstone:\\*\\.ts")
  if(NOT globs MATCHES "${glob}")
    message(FATAL_ERROR "${glob} is not in the installed mime database")
  endif()
endforeach()
file(READ ${PREFIX}/share/applications/org.ardenca.Ardenca.desktop desktop)
if(NOT desktop MATCHES "MimeType=application/x-ardenca-ground-data;application/x-touchstone;" OR
   NOT desktop MATCHES "Exec=ardenca %F")
  message(FATAL_ERROR "the desktop file does not open ground data and Touchstone files")
endif()
