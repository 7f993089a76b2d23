# solar_install_gzipped(<file> DESTINATION <dir> COMPONENT <component>)
#
# Installs <file> compressed as <dir>/<name>.gz, for manual pages and
# changelogs, which Debian ships compressed.  The copy is made in the build
# with `gzip -9n`: best compression, and neither the file's name nor its time
# in the header, so the same source gives the same bytes on every build.
find_program(GZIP_PROGRAM gzip REQUIRED)

function(solar_install_gzipped file)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "DESTINATION;COMPONENT" "")
  if(NOT arg_DESTINATION OR NOT arg_COMPONENT OR arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "solar_install_gzipped(${file} DESTINATION <dir> COMPONENT <component>)")
  endif()
  get_filename_component(source ${file} ABSOLUTE)
  get_filename_component(name ${file} NAME)
  # One folder per destination: every package has a `changelog` of its own.
  string(MAKE_C_IDENTIFIER "${arg_DESTINATION}" where)
  set(plain ${CMAKE_BINARY_DIR}/gzipped/${where}/${name})
  add_custom_command(OUTPUT ${plain}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${plain}
    COMMAND ${GZIP_PROGRAM} -9nf ${plain}
    DEPENDS ${source}
    COMMENT "Compressing ${name} for ${arg_DESTINATION}"
    VERBATIM)
  add_custom_target(gzip-${where}-${name} ALL DEPENDS ${plain}.gz)
  install(FILES ${plain}.gz DESTINATION ${arg_DESTINATION} COMPONENT ${arg_COMPONENT})
endfunction()
