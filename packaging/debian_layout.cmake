# Run by CPack on its staging folder before it builds the Debian package: Debian keeps the
# programs of a game in /usr/games (the package's section is games), so the demo moves
# there from the bin folder a plain `cmake --install` uses. zel16-tool, a command-line
# tool and no game, stays in /usr/bin. zel16 finds /usr/share/zel16 from either folder.
file(GLOB_RECURSE staged_programs LIST_DIRECTORIES false "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/bin/zel16")
foreach(program IN LISTS staged_programs)
  get_filename_component(bin "${program}" DIRECTORY)
  get_filename_component(prefix "${bin}" DIRECTORY)
  file(MAKE_DIRECTORY "${prefix}/games")
  file(RENAME "${program}" "${prefix}/games/zel16")
  message(STATUS "Debian layout: ${program} -> ${prefix}/games/zel16")
endforeach()
if(NOT staged_programs)
  message(FATAL_ERROR "Debian layout: no bin/zel16 under ${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
endif()
