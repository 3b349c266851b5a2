# Runs one scenario script through the driver. The driver's own expectations must hold
# (it exits 0), and when a NAME.expected file stands beside the script, the driver's whole
# output must be exactly that: every failure report and the final "ended" included.
#   cmake -DDRIVER=… -DSCRIPT=… -P run_scenario.cmake
execute_process(COMMAND ${DRIVER} ${SCRIPT}
    OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "driver exited with ${status}:\n${output}\n${errors}")
endif()
string(REGEX REPLACE "\\.lts$" ".expected" expected_file "${SCRIPT}")
if(EXISTS ${expected_file})
    file(READ ${expected_file} expected)
    if(NOT output STREQUAL expected)
        message(FATAL_ERROR "output differs from ${expected_file}\n--- expected\n${expected}--- found\n${output}")
    endif()
endif()
message(STATUS "${output}")
