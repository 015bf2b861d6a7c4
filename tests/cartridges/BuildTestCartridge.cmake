# Assembles one test cartridge image.
#
#   cmake -DPASMO=<pasmo> -DSOURCE=<name.asm> -DOUTPUT=<name.sms> [-DPAGES=<n>] -P BuildTestCartridge.cmake
#
# The source is assembled once per 16 KB page with PAGE defined (0 to n - 1;
# one page when PAGES is not given), and the pages are joined in order. With
# PAGES=0 it is assembled once, at the size the source gives.

get_filename_component(sourceDir "${SOURCE}" DIRECTORY)
if(PAGES STREQUAL "0")
  execute_process(
    COMMAND "${PASMO}" --bin --alocal -I "${sourceDir}" "${SOURCE}" "${OUTPUT}"
    RESULT_VARIABLE result OUTPUT_VARIABLE log ERROR_VARIABLE log)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "pasmo failed on ${SOURCE}:\n${log}")
  endif()
  return()
endif()
if(NOT PAGES)
  set(PAGES 1)
endif()
math(EXPR lastPage "${PAGES} - 1")
set(pageFiles)
foreach(page RANGE ${lastPage})
  set(pageFile "${OUTPUT}.page${page}")
  execute_process(
    COMMAND "${PASMO}" --bin --alocal -I "${sourceDir}" --equ "PAGE=${page}" "${SOURCE}" "${pageFile}"
    RESULT_VARIABLE result OUTPUT_VARIABLE log ERROR_VARIABLE log)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "pasmo failed on ${SOURCE} (page ${page}):\n${log}")
  endif()
  file(SIZE "${pageFile}" size)
  if(NOT size EQUAL 16384)
    message(FATAL_ERROR "${SOURCE} page ${page} is ${size} bytes, expected 16384")
  endif()
  list(APPEND pageFiles "${pageFile}")
endforeach()

execute_process(COMMAND "${CMAKE_COMMAND}" -E cat ${pageFiles} OUTPUT_FILE "${OUTPUT}" RESULT_VARIABLE result)
file(REMOVE ${pageFiles})
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cannot join the pages of ${OUTPUT}")
endif()
