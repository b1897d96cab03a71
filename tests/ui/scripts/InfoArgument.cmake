# Runs PROGRAM with the single argument ARG and no display at all, and
# checks that it exits 0 at once, writes nothing to the error output and
# prints a text holding EXPECT.
#   cmake -DPROGRAM=... -DARG=--version -DEXPECT=text -P InfoArgument.cmake
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY --unset=QT_QPA_PLATFORM
          ${PROGRAM} ${ARG}
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 30)
if(NOT status STREQUAL "0")
  message(FATAL_ERROR "${PROGRAM} ${ARG}: status ${status}\n${out}${err}")
endif()
if(NOT err STREQUAL "")
  message(FATAL_ERROR "${PROGRAM} ${ARG} wrote to the error output:\n${err}")
endif()
string(FIND "${out}" "${EXPECT}" at)
if(at EQUAL -1)
  message(FATAL_ERROR "${PROGRAM} ${ARG} printed\n${out}\nwithout \"${EXPECT}\"")
endif()
