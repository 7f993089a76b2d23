# The Python package solar_system (python/) as a third Debian package,
# python3-solar-system, installed where Debian's python3 looks for modules.
if(NOT SOLAR_PYTHON_BUILT)
  return()
endif()
set(SOLAR_PYTHON_INSTALL_DIR lib/python3/dist-packages CACHE PATH
    "Folder of Python modules under the prefix (Debian's dist-packages)")
install(TARGETS python_model python_image
        LIBRARY DESTINATION ${SOLAR_PYTHON_INSTALL_DIR}/solar_system COMPONENT python)
install(FILES python/solar_system/__init__.py python/solar_system/__init__.pyi python/solar_system/model.pyi
              python/solar_system/image.pyi python/solar_system/py.typed
        DESTINATION ${SOLAR_PYTHON_INSTALL_DIR}/solar_system COMPONENT python)

# As for the programs: a stripping install also drops the compiler's notes.
if(CMAKE_STRIP)
  install(CODE "if(CMAKE_INSTALL_DO_STRIP)
    foreach(module $<TARGET_FILE_NAME:python_model> $<TARGET_FILE_NAME:python_image>)
      execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${SOLAR_PYTHON_INSTALL_DIR}/solar_system/\${module}\"
        COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
  endif()" COMPONENT python)
endif()

# Built for one interpreter version: the extension's file names carry it.
solar_debian_package(python NAME python3-solar-system SECTION python SHLIBDEPS
  DEPENDS "python3 (>= ${SOLAR_PYTHON_VERSION}~), python3 (<< ${SOLAR_PYTHON_NEXT_VERSION}), python3-numpy"
  DESCRIPTION [[OBJ model library and picture decoders of Solar System for Python
The module solar_system reads Wavefront OBJ models with their MTL material
libraries into numpy arrays that share the model's memory, runs the model
library's geometry operations (normals, welding, texture coordinates,
scaling) and writes models back.  It also decodes Windows bitmaps (DIB/BMP)
and SGI RGB pictures into numpy arrays.]])
