# Configures the link check's project with one CASE. EXPECT empty: the
# configuration must succeed; otherwise it must fail with output matching it.
# Run with -DCASE= -DEXPECT= -DPROJECT= -DBINARY= -DSOURCE= -DGENERATOR= -DCXX=
execute_process(
  COMMAND ${CMAKE_COMMAND} -S ${PROJECT} -B ${BINARY}/${CASE} -G ${GENERATOR}
          -DCMAKE_CXX_COMPILER=${CXX} -DCASE=${CASE} -DBRENNOVALE_SOURCE=${SOURCE}
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(EXPECT STREQUAL "")
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "case ${CASE} should configure:\n${output}")
  endif()
elseif(result EQUAL 0)
  message(FATAL_ERROR "case ${CASE} configured but should have failed:\n${output}")
elseif(NOT output MATCHES "${EXPECT}")
  message(FATAL_ERROR "case ${CASE} failed for another reason than '${EXPECT}':\n${output}")
endif()
