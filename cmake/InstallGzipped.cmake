# SPDX-License-Identifier: GPL-3.0-or-later
# Installs |file| as |name|.gz in |destination|, compressed as Debian asks:
# at the highest level and without the original's name and time, so that
# the same text always gives the same bytes.
function(trasvex_install_gzipped file name destination)
  find_program(TRASVEX_GZIP gzip REQUIRED)
  set(copy ${CMAKE_CURRENT_BINARY_DIR}/${name})
  add_custom_command(OUTPUT ${copy}.gz
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${file} ${copy}
    COMMAND ${TRASVEX_GZIP} -9nkf ${copy}
    DEPENDS ${file} VERBATIM)
  # The target is not named after its output: Ninja gives a target of a
  # subfolder a rule of the same path as that output.
  add_custom_target(gzip-${name} ALL DEPENDS ${copy}.gz)
  install(FILES ${copy}.gz DESTINATION ${destination})
endfunction()
