# Runs an instruction exerciser through ollendor-cpm and passes only when every one of its
# tests printed OK and it reached "Tests complete".
#   cmake -DCPM_TOOL=... -DPROGRAM=....com -DEXPECTED_OK=N -P cpu_exerciser.cmake
if(NOT EXISTS "${PROGRAM}")
  message("SKIPPED: ${PROGRAM} not found; the exerciser test needs the shared test data")
  return()
endif()

execute_process(COMMAND "${CPM_TOOL}" "${PROGRAM}"
  OUTPUT_VARIABLE output ERROR_VARIABLE report RESULT_VARIABLE result)
message("${output}")
message("${report}")
if(NOT result EQUAL 0)
  message(FATAL_ERROR "ollendor-cpm failed with ${result}")
endif()

string(REGEX MATCHALL "[^\n]*OK\n" passed "${output}")
list(LENGTH passed passedCount)
string(REGEX MATCHALL "ERROR[^\n]*" failures "${output}")
list(LENGTH failures failureCount)
if(NOT passedCount EQUAL EXPECTED_OK)
  message(FATAL_ERROR "${passedCount} of ${EXPECTED_OK} exerciser tests passed, ${failureCount} failed")
endif()
if(NOT output MATCHES "Tests complete")
  message(FATAL_ERROR "the exerciser did not reach \"Tests complete\"")
endif()
message("all ${EXPECTED_OK} exerciser tests passed")
