cmake_minimum_required(VERSION 3.21)
# Runs ostinel-render into an emptied directory, so that nothing of an earlier run is left there.
#   cmake -DTOOL=path/to/ostinel-render -DOUT=dir -DARGS="options" -P fresh_render.cmake
separate_arguments(args UNIX_COMMAND "${ARGS}")
file(REMOVE_RECURSE "${OUT}")
execute_process(COMMAND "${TOOL}" ${args} --out "${OUT}" RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "ostinel-render ${ARGS} --out ${OUT} failed: ${result}")
endif()
