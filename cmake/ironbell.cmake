# Build helpers shared by every subsystem.

set(IRONBELL_WARNINGS -Wall -Wextra)
# The sound mix uses double arithmetic that must give the same samples everywhere.
add_compile_options(-ffp-contract=off)

if(IRONBELL_SANITIZE OR IRONBELL_FUZZ)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
  # g++ 12 with the sanitizers at -O1 takes libstdc++'s own std::regex and
  # std::function internals for maybe-uninitialized; the optimised build keeps
  # the warning for our code.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    add_compile_options(-Wno-maybe-uninitialized)
  endif()
endif()
if(IRONBELL_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link)
  add_custom_target(fuzz_all)
endif()

# ironbell_library(NAME SOURCES ... [DEPS ...])
function(ironbell_library name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${A_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${IRONBELL_WARNINGS})
  if(A_DEPS)
    target_link_libraries(${name} PUBLIC ${A_DEPS})
  endif()
endfunction()

# ironbell_test(NAME SOURCES ... [DEPS ...] [LABELS label] [BY_SUITE])
# One GoogleTest binary; every test case becomes a CTest test, or with
# BY_SUITE every test suite: the whole-game runs, whose tests of one suite
# all read one run that each process makes once, so that a suite's run is
# made once rather than once for each of its tests.
function(ironbell_test name)
  cmake_parse_arguments(A "BY_SUITE" "" "SOURCES;DEPS;LABELS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${IRONBELL_WARNINGS})
  target_compile_definitions(${name} PRIVATE
    IRONBELL_TESTDATA="${IRONBELL_TESTDATA}"
    IRONBELL_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  target_link_libraries(${name} PRIVATE ${A_DEPS} GTest::gtest GTest::gtest_main)
  # One label a binary (the discovered tests' properties cannot carry a
  # list): `unit` unless the binary says otherwise (`whole`, `slow`).
  set(label unit)
  if(A_LABELS)
    set(label ${A_LABELS})
  endif()
  if(NOT A_BY_SUITE)
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                         PROPERTIES LABELS ${label})
    return()
  endif()
  # The suites named by the sources' TEST, TEST_F and TEST_P lines (a
  # parameterised suite runs under its instantiation's prefix); the sources
  # are read again whenever they change.
  set(suites "")
  foreach(source ${A_SOURCES})
    set(path ${CMAKE_CURRENT_SOURCE_DIR}/${source})
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${path})
    file(STRINGS ${path} lines REGEX "^TEST(_F|_P)?\\([A-Za-z0-9_]+,")
    foreach(line ${lines})
      string(REGEX REPLACE "^TEST(_F|_P)?\\(([A-Za-z0-9_]+),.*" "\\2" suite "${line}")
      list(APPEND suites ${suite})
    endforeach()
  endforeach()
  list(REMOVE_DUPLICATES suites)
  foreach(suite ${suites})
    add_test(NAME ${suite} COMMAND ${name} --gtest_filter=${suite}.*:*/${suite}.*)
    # Started before the short tests, the longest first as CTest learns
    # their times.
    set_tests_properties(${suite} PROPERTIES LABELS ${label} COST 1000)
  endforeach()
  # A suite whose line the pattern misses (indented, wrapped, a kind of test it
  # does not know) would never run, so each link of the binary is followed by
  # a comparison of the suites it lists with these, which fails the build
  # naming the suite. The list is rewritten only when it changes, and the
  # comparison runs again when the list or the binary does.
  set(registered ${CMAKE_CURRENT_BINARY_DIR}/${name}_suites.txt)
  list(JOIN suites "\n" lines)
  file(CONFIGURE OUTPUT ${registered} CONTENT "${lines}\n")
  set(check ${PROJECT_SOURCE_DIR}/cmake/check_registered_suites.cmake)
  set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${name}_suites.checked)
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DBINARY=$<TARGET_FILE:${name}> -DSUITES=${registered}
            -DSTAMP=${stamp} -P ${check}
    DEPENDS ${name} ${registered} ${check}
    COMMENT "Checking that CTest runs every suite of ${name}"
    VERBATIM)
  add_custom_target(${name}_suites ALL DEPENDS ${stamp})
endfunction()

# ironbell_fuzz(NAME SOURCES ... [DEPS ...] [CORPUS dir])
# A libFuzzer target, built only with IRONBELL_FUZZ; CTest runs it for
# IRONBELL_FUZZ_SECONDS on a scratch copy of its seed corpus.
function(ironbell_fuzz name)
  if(NOT IRONBELL_FUZZ)
    return()
  endif()
  cmake_parse_arguments(A "" "CORPUS" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${IRONBELL_WARNINGS})
  target_link_libraries(${name} PRIVATE ${A_DEPS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  add_dependencies(fuzz_all ${name})
  set(work ${CMAKE_CURRENT_BINARY_DIR}/${name}_corpus)
  set(seed "")
  if(A_CORPUS)
    set(seed ${A_CORPUS})
  endif()
  add_test(NAME ${name}
           COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=1
                   $<TARGET_FILE:${name}> -max_total_time=${IRONBELL_FUZZ_SECONDS}
                   -timeout=10 -rss_limit_mb=2048 ${work} ${seed})
  set_tests_properties(${name} PROPERTIES LABELS fuzz)
  file(MAKE_DIRECTORY ${work})
endfunction()
