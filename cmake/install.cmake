# What `cmake --install` puts where, and the Debian package cpack makes of it.
#
# Two components: `viewer` (the program, its pictures, desktop entry, icon and
# manual page) and `dev` (the model library and the picture decoders, their
# headers, a CMake package and pkg-config files for programs of other
# people).  `cpack -G DEB` makes one package of each.

install(TARGETS solar-system RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT viewer)

# The libraries under names of their own, headers under one folder.
set(SOLAR_INCLUDE_DIR ${CMAKE_INSTALL_INCLUDEDIR}/solar-system)
foreach(lib platform platform_tuning image model)
  set_target_properties(${lib} PROPERTIES OUTPUT_NAME solarsystem-${lib} EXPORT_NAME ${lib})
  target_include_directories(${lib} INTERFACE $<INSTALL_INTERFACE:${SOLAR_INCLUDE_DIR}>)
endforeach()
install(TARGETS platform platform_tuning image model EXPORT SolarSystemTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev)
install(FILES image/image.h DESTINATION ${SOLAR_INCLUDE_DIR}/image COMPONENT dev)
install(FILES model/glm.h model/glm_core.h DESTINATION ${SOLAR_INCLUDE_DIR}/model COMPONENT dev)

include(CMakePackageConfigHelpers)
set(SOLAR_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/SolarSystem)
install(EXPORT SolarSystemTargets NAMESPACE SolarSystem:: DESTINATION ${SOLAR_CMAKE_DIR} COMPONENT dev)
configure_package_config_file(cmake/SolarSystemConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/SolarSystemConfig.cmake INSTALL_DESTINATION ${SOLAR_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/SolarSystemConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/SolarSystemConfig.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/SolarSystemConfigVersion.cmake
        DESTINATION ${SOLAR_CMAKE_DIR} COMPONENT dev)

# pkg-config files; the prefix is worked out from the file's own place, so a
# moved installation keeps working.
file(RELATIVE_PATH PC_PREFIX_FROM_PCFILEDIR /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
string(REGEX REPLACE "/$" "" PC_PREFIX_FROM_PCFILEDIR "${PC_PREFIX_FROM_PCFILEDIR}")
foreach(pc solar-system-image solar-system-model)
  configure_file(cmake/${pc}.pc.in ${CMAKE_CURRENT_BINARY_DIR}/${pc}.pc @ONLY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${pc}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT dev)
endforeach()

# The Debian packages.
set(CPACK_PACKAGE_NAME solar-system)
set(CPACK_PACKAGE_VENDOR "The Solar System developers")
set(CPACK_PACKAGE_CONTACT "Solar System developers <solar-system@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "animated 3-D model of the solar system")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL viewer dev)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_VIEWER_PACKAGE_NAME solar-system)
set(CPACK_DEBIAN_VIEWER_PACKAGE_SECTION games)
# The runtime libraries come from dpkg-shlibdeps; the fact boxes are Korean
# and need a Hangul font.
set(CPACK_DEBIAN_VIEWER_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_VIEWER_PACKAGE_DEPENDS "fonts-nanum | fonts-noto-cjk")
set(CPACK_DEBIAN_VIEWER_DESCRIPTION [[animated 3-D model of the solar system
A window with the sun, nine textured planets, the Moon and Saturn's ring,
seen from a camera that walks through the scene.  A menu shows a close-up
of each body with a box of facts about it, in Korean.]])
set(CPACK_DEBIAN_DEV_PACKAGE_NAME libsolar-system-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "libgtk-3-dev, libgl-dev")
set(CPACK_DEBIAN_DEV_DESCRIPTION [[Solar System's OBJ/MTL model library and picture decoders
Static libraries, headers, a CMake package (find_package(SolarSystem)) and
pkg-config files for the OBJ/MTL model library with its raw PPM reader, and
for the Windows-bitmap and SGI RGB picture decoders.]])
include(CPack)
