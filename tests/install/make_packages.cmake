# Makes the Debian packages afresh in OUT with cpack (CPACK, CONFIG), for the
# package tests: cmake -DCPACK=... -DCONFIG=.../CPackConfig.cmake -DOUT=... -P
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT})
execute_process(COMMAND ${CPACK} -G DEB --config ${CONFIG} -B ${OUT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cpack failed: ${status}")
endif()
