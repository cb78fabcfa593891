# What an installed Ardenca has besides its programs: man pages made from the programs'
# own --help, bash completion made from ardenca-cli's, the documents and examples, and
# the Debian package of it all (cpack -G DEB, or scripts/make_package.sh).

set(ardenca_generated ${CMAKE_BINARY_DIR}/generated)
set(ardenca_doc_dir ${CMAKE_INSTALL_DATADIR}/doc/ardenca)
find_program(GZIP_PROGRAM gzip REQUIRED)

# Man pages: help2man runs each program at build time, so a page says what --help says.
find_program(HELP2MAN help2man)
set(ardenca_man_programs ardenca-cli)
set(man_description_ardenca-cli
    "ground conductivity and dielectric constant from a two-rod probe, without a window")
set(man_description_ardenca "ground conductivity and dielectric constant from a two-rod probe")
set(man_subcommands_ardenca-cli ON)
if(TARGET ardenca)
  list(APPEND ardenca_man_programs ardenca)
endif()
if(HELP2MAN)
  set(man_pages "")
  foreach(program IN LISTS ardenca_man_programs)
    set(page ${ardenca_generated}/man/${program}.1.gz)
    add_custom_command(
      OUTPUT ${page}
      COMMAND ${CMAKE_COMMAND} -DHELP2MAN=${HELP2MAN} -DGZIP=${GZIP_PROGRAM}
              -DPROGRAM=$<TARGET_FILE:${program}> -DNAME=${program}
              "-DDESCRIPTION=${man_description_${program}}"
              -DINCLUDE=${PROJECT_SOURCE_DIR}/docs/man/${program}.h2m
              "-DSUBCOMMANDS=${man_subcommands_${program}}" -DOUT=${page}
              -P ${PROJECT_SOURCE_DIR}/cmake/make_man_page.cmake
      DEPENDS ${program} ${PROJECT_SOURCE_DIR}/docs/man/${program}.h2m
              ${PROJECT_SOURCE_DIR}/cmake/make_man_page.cmake
              ${PROJECT_SOURCE_DIR}/cmake/cli_subcommands.cmake
      COMMENT "Writing the man page of ${program}"
      VERBATIM)
    list(APPEND man_pages ${page})
  endforeach()
  add_custom_target(man_pages ALL DEPENDS ${man_pages})
  install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  message(WARNING "help2man is missing: no man pages (scripts/ensure_packages.sh installs it)")
endif()

# Bash completion of ardenca-cli.
set(completion ${ardenca_generated}/completion/ardenca-cli)
add_custom_command(
  OUTPUT ${completion}
  COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:ardenca-cli>
          -DTEMPLATE=${PROJECT_SOURCE_DIR}/data/ardenca-cli.bash-completion.in -DOUT=${completion}
          -P ${PROJECT_SOURCE_DIR}/cmake/make_completion.cmake
  DEPENDS ardenca-cli ${PROJECT_SOURCE_DIR}/data/ardenca-cli.bash-completion.in
          ${PROJECT_SOURCE_DIR}/cmake/make_completion.cmake
          ${PROJECT_SOURCE_DIR}/cmake/cli_subcommands.cmake
  COMMENT "Writing the bash completion of ardenca-cli"
  VERBATIM)
add_custom_target(completion ALL DEPENDS ${completion})
install(FILES ${completion} DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

# The user guide: whatever docs/guide.* (and a docs/guide/ folder of its pictures) there
# is; without one, the README.
file(GLOB ARDENCA_GUIDE_FILES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/guide.*)
if(NOT ARDENCA_GUIDE_FILES)
  set(ARDENCA_GUIDE_FILES ${PROJECT_SOURCE_DIR}/README.md)
endif()
install(FILES ${ARDENCA_GUIDE_FILES} DESTINATION ${ardenca_doc_dir})
if(IS_DIRECTORY ${PROJECT_SOURCE_DIR}/docs/guide)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/guide DESTINATION ${ardenca_doc_dir})
endif()
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${ardenca_doc_dir}/examples)

# The copyright file and the changelog a Debian package carries.
configure_file(${PROJECT_SOURCE_DIR}/cmake/copyright.in ${ardenca_generated}/doc/copyright @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/cmake/changelog.in ${ardenca_generated}/doc/changelog @ONLY)
execute_process(COMMAND ${GZIP_PROGRAM} -9 -n -f ${ardenca_generated}/doc/changelog)
install(FILES ${ardenca_generated}/doc/copyright ${ardenca_generated}/doc/changelog.gz
        DESTINATION ${ardenca_doc_dir})

# The Debian package: ardenca_VERSION_ARCH.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ardenca)
set(CPACK_PACKAGE_VENDOR "Ardenca developers")
set(CPACK_PACKAGE_CONTACT "Ardenca developers <developers@ardenca.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "ground conductivity and dielectric constant from a two-rod probe")
# The summary above is the package's synopsis; this is its extended description.
set(CPACK_PACKAGE_DESCRIPTION
    "Ardenca finds the electrical constants of the ground - its conductivity and
relative dielectric constant - from the input impedance of a probe of two
parallel rods pushed into the earth, modelled as a lossy transmission line.
.
It has a desktop program (ardenca) and a command-line program (ardenca-cli):
single readings with every ground that fits them and their uncertainties,
and whole VNA sweeps (Touchstone and CSV) with tracking over frequency,
averages over probe locations and CSV, JSON and NEC-2 exports.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "bash-completion")
set(CPACK_STRIP_FILES ON)
include(CPack)
