# What `cmake --install` puts where, and the Debian package cpack makes of it.
#
# Components: `viewer` (the program and objtool, desktop entry, AppStream
# metadata, icon and manual pages), `data` (the pictures, the same on every
# architecture), `dev` (the model
# library and the picture decoders, their headers, a CMake package and
# pkg-config files for programs of other people) and, when the Python module
# is built, `python` (cmake/python-package.cmake).  `cpack -G DEB` makes one
# package of each.

install(TARGETS solar-system RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT viewer)

# The libraries under names of their own, headers under one folder.
set(SOLAR_INCLUDE_DIR ${CMAKE_INSTALL_INCLUDEDIR}/solar-system)
foreach(lib platform platform_files platform_tuning core_i18n image model)
  set_target_properties(${lib} PROPERTIES OUTPUT_NAME solarsystem-${lib} EXPORT_NAME ${lib})
  target_include_directories(${lib} INTERFACE $<INSTALL_INTERFACE:${SOLAR_INCLUDE_DIR}>)
endforeach()
install(TARGETS platform platform_files platform_tuning core_i18n image model EXPORT SolarSystemTargets
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

# cpack strips what it packages (CPACK_STRIP_FILES below) with a plain
# `strip`; this finishes the job as Debian's own tools do: the programs also
# lose the compiler's .comment and .note sections, and the static libraries
# their debugging sections, with deterministic archive headers.  A plain
# `cmake --install` leaves everything as built.
if(CMAKE_STRIP)
  install(CODE "if(CMAKE_INSTALL_DO_STRIP)
    foreach(program $<TARGET_FILE_NAME:solar-system> $<TARGET_FILE_NAME:objtool>)
      execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/\${program}\" COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
  endif()" COMPONENT viewer)
  install(CODE "if(CMAKE_INSTALL_DO_STRIP)
    foreach(library $<TARGET_FILE_NAME:platform> $<TARGET_FILE_NAME:platform_files>
                    $<TARGET_FILE_NAME:platform_tuning> $<TARGET_FILE_NAME:image>
                    $<TARGET_FILE_NAME:model>)
      execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-debug --remove-section=.comment --remove-section=.note
        --enable-deterministic-archives
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/\${library}\" COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
  endif()" COMPONENT dev)
endif()

# The Debian packages: one per component, each declared by one
# solar_debian_package() call below (a new package is one more call).
# Every package is a native Debian package of the source package
# "solar-system": it carries the machine-readable copyright file and the
# compressed changelog in /usr/share/doc/<package>/.
set(CPACK_PACKAGE_NAME solar-system)
set(CPACK_PACKAGE_VENDOR "The Solar System authors")
set(CPACK_PACKAGE_CONTACT "Solar System maintainers <maintainers@solar-system.invalid>")
# Each package states its own synopsis as the first line of its description;
# a project-wide summary would be put in front of every one of them.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SOURCE solar-system)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_COMPONENTS_ALL)

# solar_debian_package(<component> NAME <package> SECTION <section>
#                      DESCRIPTION <synopsis line, then the long text>
#                      [DEPENDS <depends>] [SHLIBDEPS])
# SHLIBDEPS adds the libraries the package's programs link, as dpkg-shlibdeps
# finds them, to DEPENDS.
function(solar_debian_package component)
  cmake_parse_arguments(PARSE_ARGV 1 arg "SHLIBDEPS" "NAME;SECTION;DESCRIPTION;DEPENDS" "")
  if(NOT arg_NAME OR NOT arg_SECTION OR NOT arg_DESCRIPTION OR arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "solar_debian_package(${component}): NAME, SECTION and DESCRIPTION are needed")
  endif()
  string(TOUPPER ${component} c)
  set(CPACK_DEBIAN_${c}_PACKAGE_NAME ${arg_NAME} PARENT_SCOPE)
  set(CPACK_DEBIAN_${c}_PACKAGE_SECTION ${arg_SECTION} PARENT_SCOPE)
  set(CPACK_DEBIAN_${c}_DESCRIPTION "${arg_DESCRIPTION}" PARENT_SCOPE)
  set(CPACK_DEBIAN_${c}_PACKAGE_DEPENDS "${arg_DEPENDS}" PARENT_SCOPE)
  set(CPACK_DEBIAN_${c}_PACKAGE_SHLIBDEPS ${arg_SHLIBDEPS} PARENT_SCOPE)
  set(CPACK_COMPONENTS_ALL ${CPACK_COMPONENTS_ALL} ${component} PARENT_SCOPE)
  set(doc ${CMAKE_INSTALL_DATADIR}/doc/${arg_NAME})
  install(FILES ${PROJECT_SOURCE_DIR}/cmake/debian/copyright DESTINATION ${doc} COMPONENT ${component})
  solar_install_gzipped(${PROJECT_SOURCE_DIR}/cmake/debian/changelog DESTINATION ${doc} COMPONENT ${component})
endfunction()

# The runtime libraries (GLUT, GTK, FreeType, fontconfig, libpng) come from
# dpkg-shlibdeps; the fact boxes and the names in the window are Korean and
# need a Hangul font.  xdg-user-dir names the folder screenshots go to.
solar_debian_package(viewer NAME solar-system SECTION science SHLIBDEPS
  DEPENDS "solar-system-data (= ${PROJECT_VERSION}), fonts-nanum | fonts-noto-cjk"
  DESCRIPTION [[animated 3-D model of the solar system
A window with the sun, nine textured planets, the Moon and Saturn's ring,
seen from a camera that walks through the scene with the arrow keys; the
mouse turns the whole system and starts or pauses the animation.  A menu
shows a close-up of each body with a box of facts about it, in Korean.

The package also holds objtool, which reads, checks, converts and shows
Wavefront OBJ models from the command line.]])

set(CPACK_DEBIAN_VIEWER_PACKAGE_RECOMMENDS "xdg-user-dirs")

# The pictures: the Sun, the planets and the Moon made from real maps, and
# the painted ones.  They are the same on every architecture, and too large
# to sit in the program's package.
solar_debian_package(data NAME solar-system-data SECTION science
  DESCRIPTION [[pictures of the Solar System viewer
The surfaces of the Sun, the planets and the Moon that the solar-system
viewer wraps round its bodies, made from real maps of spacecraft and
telescope data (from the stellarium-data and xplanet-images packages), with
the sky, the figure and the ball it draws beside them.]])
set(CPACK_DEBIAN_DATA_PACKAGE_ARCHITECTURE all)

solar_debian_package(dev NAME libsolar-system-dev SECTION libdevel
  DEPENDS "libgtk-3-dev, libgl-dev"
  DESCRIPTION [[OBJ/MTL model library and picture decoders of Solar System
Static libraries and headers for programs of your own, found with
find_package(SolarSystem) in CMake or with pkg-config.

The model library reads and writes Wavefront OBJ models and their MTL
material libraries, computes normals, scales, moves, welds and generates
texture coordinates, draws models with OpenGL, and reads raw PPM pictures.
The picture decoders read Windows bitmaps (DIB/BMP) of any depth and SGI
RGB pictures, and need neither OpenGL nor GLUT.]])

# The viewer in a web page: the static site scripts/build-web.sh makes (the
# WebAssembly program, the page, its catalogs and pictures), the same on
# every architecture.  It is packaged when the site has been built before
# this configuration; scripts/test.sh builds it first in CI.
set(SOLAR_WEB_SITE ${PROJECT_SOURCE_DIR}/build-web/site CACHE PATH
    "The web page's site (scripts/build-web.sh) that the solar-system-web package installs")
set(SOLAR_WEB_PACKAGE OFF)
if(EXISTS ${SOLAR_WEB_SITE}/index.html AND EXISTS ${SOLAR_WEB_SITE}/solar-system.wasm)
  set(SOLAR_WEB_PACKAGE ON)
  install(DIRECTORY ${SOLAR_WEB_SITE}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/solar-system/web COMPONENT web)
  solar_debian_package(web NAME solar-system-web SECTION science
    DESCRIPTION [[Solar System viewer as a static web page
The animated 3-D model of the solar system of the solar-system package, built
to WebAssembly and drawn with WebGL 2, in a folder of static files that any
web server can serve: the sun, nine textured planets, the Moon and Saturn's
ring, the walking camera, the body menu with its fact boxes, the sky of a
date, in Korean or English, with touch controls for phones.

The site is installed under /usr/share/solar-system/web/; it needs a web
server (a browser does not run it from a file) and a browser with WebGL 2.]])
  set(CPACK_DEBIAN_WEB_PACKAGE_ARCHITECTURE all)
endif()

include(cmake/python-package.cmake)
include(CPack)
