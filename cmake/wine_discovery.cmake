# Test discovery for the Windows tree, run by ctest before the tests: each test program lists
# its tests under Wine into a file (not a pipe, which a lingering Wine helper process may hold
# open), with a second try when Wine fails to start it, and every listed test becomes a ctest
# test. A program that cannot be listed becomes one failing test, so the rest still run.

# ovmon_wine_tests(NAME program EXE path EMULATOR wine SOURCE_DIR dir WORKING_DIRECTORY dir
# [LOCK name]): adds the program's tests, those with a LOCK never running together (LOCK "all":
# each alone).
function(ovmon_wine_tests)
  cmake_parse_arguments(ARG "" "NAME;EXE;EMULATOR;SOURCE_DIR;WORKING_DIRECTORY;LOCK" "" ${ARGN})
  set(listing "${ARG_EXE}.tests")
  foreach(attempt 1 2)
    execute_process(COMMAND "${ARG_EMULATOR}" "${ARG_EXE}" --gtest_list_tests
      OUTPUT_FILE "${listing}" ERROR_QUIET RESULT_VARIABLE result TIMEOUT 60)
    if(result EQUAL 0)
      break()
    endif()
  endforeach()
  if(NOT result EQUAL 0)
    add_test("${ARG_NAME}.NotListed" "${CMAKE_COMMAND}" -E false)
    message(WARNING "${ARG_NAME}: listing its tests under Wine failed (${result})")
    return()
  endif()
  file(STRINGS "${listing}" lines)
  set(suite "")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE " *#.*" "" line "${line}")
    if(line MATCHES "^([^ ]+)\\.$")
      set(suite "${CMAKE_MATCH_1}")
    elseif(line MATCHES "^  ([^ ]+)$" AND suite)
      set(test "${suite}.${CMAKE_MATCH_1}")
      add_test("${test}" "${ARG_EMULATOR}" "${ARG_EXE}" "--gtest_filter=${test}")
      set_tests_properties("${test}" PROPERTIES ENVIRONMENT "OVMON_SOURCE_DIR=${ARG_SOURCE_DIR}"
        WORKING_DIRECTORY "${ARG_WORKING_DIRECTORY}")
      if(ARG_LOCK STREQUAL "all")
        set_tests_properties("${test}" PROPERTIES RUN_SERIAL TRUE)
      elseif(ARG_LOCK)
        set_tests_properties("${test}" PROPERTIES RESOURCE_LOCK "${ARG_LOCK}")
      endif()
    endif()
  endforeach()
endfunction()
