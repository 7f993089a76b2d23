# The web build (emcmake cmake -S . -B build-web -DSOLAR_WEB=ON): the core,
# the WebGL 2 renderer and the wasm program, compiled by emscripten into
# solar-system.js and solar-system.wasm.  Nothing of the desktop is built:
# no OpenGL 1.1, GLUT, GTK, FreeType or libnova; the sky of a date comes from
# the page (astronomy-engine), the pictures from the site's image/ folder.
if(NOT EMSCRIPTEN)
  message(FATAL_ERROR "SOLAR_WEB needs emscripten's toolchain: emcmake cmake -S . -B build-web -DSOLAR_WEB=ON")
endif()
if(CMAKE_BUILD_TYPE STREQUAL "RelWithDebInfo")
  set(CMAKE_BUILD_TYPE Release)
endif()

# The sky layer's dates, leap seconds and terrestrial time, which the core
# stands on; its libnova theories (the target sky) stay out.
add_library(sky_time STATIC sky/date.cpp sky/leap_seconds.cpp)
target_include_directories(sky_time PUBLIC ${PROJECT_SOURCE_DIR})

add_subdirectory(core)
add_subdirectory(webgl)
add_subdirectory(web)
