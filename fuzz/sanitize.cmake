# Compiler flags of the fuzz build (SOLAR_FUZZ=ON, clang only).  Every
# library is built with coverage instrumentation for libFuzzer and with
# AddressSanitizer + UndefinedBehaviorSanitizer; any report aborts the run so
# that libFuzzer records it as a finding.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "SOLAR_FUZZ needs clang (configure with -DCMAKE_CXX_COMPILER=clang++-14)")
endif()
add_compile_options(-fsanitize=fuzzer-no-link,address,undefined
                    -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
