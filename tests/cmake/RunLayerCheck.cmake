# Configures the scratch project with one case and checks the outcome.
#   cmake -DCASE=<case> -DEXPECT=<accepted|refused> -DSCRATCH=<dir> -DWORK=<dir> -DTESSARIN_CMAKE_DIR=<dir>
#         [-DNAMES=<target,target>] -P RunLayerCheck.cmake
# A refused case must fail the configuration and name every target in NAMES.
string(REPLACE "," ";" NAMES "${NAMES}")
file(REMOVE_RECURSE ${WORK}/${CASE})
execute_process(
    COMMAND ${CMAKE_COMMAND} -S ${SCRATCH} -B ${WORK}/${CASE} -G Ninja -DSCRATCH_CASE=${CASE}
            -DTESSARIN_CMAKE_DIR=${TESSARIN_CMAKE_DIR}
    RESULT_VARIABLE result
    OUTPUT_VARIABLE output
    ERROR_VARIABLE output)
if(EXPECT STREQUAL "accepted")
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "case ${CASE}: the configuration failed:\n${output}")
    endif()
else()
    if(result EQUAL 0)
        message(FATAL_ERROR "case ${CASE}: the configuration passed; it should have been refused")
    endif()
    if(NOT output MATCHES "Layer order")
        message(FATAL_ERROR "case ${CASE}: failed, but not by the layer check:\n${output}")
    endif()
    foreach(name IN LISTS NAMES)
        if(NOT output MATCHES "'${name}'")
            message(FATAL_ERROR "case ${CASE}: the message does not name '${name}':\n${output}")
        endif()
    endforeach()
endif()
