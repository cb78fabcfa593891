# Fails when a source under SOURCE_DIR includes a header by a path relative to its own
# folder that leaves it ("../") or by an absolute path: either would bypass the layers'
# include roots.
file(GLOB_RECURSE sources ${SOURCE_DIR}/*.h ${SOURCE_DIR}/*.cpp)
set(bad "")
foreach(source IN LISTS sources)
  file(STRINGS ${source} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<](\\.\\.|/)")
  foreach(line IN LISTS lines)
    file(RELATIVE_PATH shown ${SOURCE_DIR} ${source})
    string(APPEND bad "  ${shown}: ${line}\n")
  endforeach()
endforeach()
if(bad)
  message(FATAL_ERROR "Includes that bypass the layers' include roots:\n${bad}")
endif()
