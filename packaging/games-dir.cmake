# Run by CPack on the staged tree, before it is packed (CPACK_PRE_BUILD_SCRIPTS).
# Debian keeps games in /usr/games: the Debian package gets its programs there
# however the build folder was configured, while an install into a prefix of
# one's own (cmake --install build --prefix ~/.local) keeps them in bin/. From
# either folder the programs find their data in ../share/kvelmar2.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()
if(NOT CPACK_KV_BINDIR MATCHES "^[A-Za-z0-9_.-]+$" OR CPACK_KV_BINDIR MATCHES "^\\.+$")
  message(FATAL_ERROR "The programs' folder '${CPACK_KV_BINDIR}' is not a folder of the prefix; "
                      "configure with the default CMAKE_INSTALL_BINDIR")
endif()

set(usr "${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
set(from "${usr}/${CPACK_KV_BINDIR}")
set(to "${usr}/games")
if(CPACK_KV_BINDIR STREQUAL "games")
  return()
endif()
if(NOT IS_DIRECTORY "${from}")
  message(FATAL_ERROR "No programs staged in ${from}")
endif()
file(MAKE_DIRECTORY "${to}")
file(GLOB programs "${from}/*")
foreach(program IN LISTS programs)
  get_filename_component(name "${program}" NAME)
  file(RENAME "${program}" "${to}/${name}")
endforeach()
file(GLOB left "${from}/*")
if(left)
  message(FATAL_ERROR "Not moved to ${to}: ${left}")
endif()
file(REMOVE_RECURSE "${from}")
