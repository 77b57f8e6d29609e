# cmake -DBINARY=file -DSUITES=file -DSTAMP=file -P check_registered_suites.cmake
#
# Run after a test binary whose suites are registered with CTest one by one
# (ironbell_test's BY_SUITE) is linked. The registration reads the suites'
# names from the sources' lines; a test it misses would never run and nothing
# would say so. So the binary lists its own tests here, and the build fails
# when a suite it holds is run by no registered test, or when a registered
# test's suite is not in the binary (that test would pass with no test run).
# STAMP is touched once both lists agree.
cmake_minimum_required(VERSION 3.25)

foreach(var BINARY SUITES STAMP)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "check_registered_suites.cmake needs -D${var}=...")
  endif()
endforeach()
get_filename_component(binary_name ${BINARY} NAME)

execute_process(COMMAND ${BINARY} --gtest_list_tests
                OUTPUT_VARIABLE listing ERROR_VARIABLE errors RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${binary_name} --gtest_list_tests ended with ${status}:\n${listing}${errors}")
endif()

# A suite starts its own line, a test is indented under it:
#   Paths/RunEndings.
#     Case/0  # GetParam() = 0
# Only the suites' lines are read; a parameter's text may hold anything.
string(REGEX MATCHALL "(^|\n)[A-Za-z0-9_/]+\\." heads "${listing}")
set(held "")
foreach(head ${heads})
  string(REGEX REPLACE "^\n?(.*)\\.$" "\\1" suite "${head}")
  list(APPEND held ${suite})
endforeach()

file(STRINGS ${SUITES} registered)

# ctest runs registered suite S with --gtest_filter=S.*:*/S.*: the suite
# itself and S under any instantiation's prefix. (A suite's name is letters,
# digits and underscores, so it can stand in a pattern as it is.)
set(unrun "")
set(used "")
foreach(suite ${held})
  set(found FALSE)
  foreach(name ${registered})
    if(suite STREQUAL name OR suite MATCHES "/${name}$")
      set(found TRUE)
      list(APPEND used ${name})
    endif()
  endforeach()
  if(NOT found)
    string(APPEND unrun "\n  ${suite}")
  endif()
endforeach()
set(empty "")
foreach(name ${registered})
  if(NOT name IN_LIST used)
    string(APPEND empty "\n  ${name}")
  endif()
endforeach()

set(problems "")
if(unrun)
  string(APPEND problems
    "${binary_name} holds suites that no CTest test runs:${unrun}\n"
    "A suite is registered from a line that starts with TEST(, TEST_F( or TEST_P( "
    "and names the suite and a comma on that same line; an indented or wrapped "
    "line, or another kind of test, is missed (cmake/ironbell.cmake, ironbell_test).\n")
endif()
if(empty)
  string(APPEND problems
    "${binary_name} is registered with CTest tests of suites it does not hold:${empty}\n"
    "Each would pass running no test: its TEST line is perhaps in a comment or a "
    "disabled block, or its TEST_P suite is instantiated nowhere "
    "(GoogleTest then lists a GoogleTestVerification suite of its own).\n")
endif()
if(problems)
  message(FATAL_ERROR "${problems}")
endif()
file(TOUCH ${STAMP})
