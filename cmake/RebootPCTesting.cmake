# Test helpers. Every test is a GoogleTest program registered as one ctest test with its labels
# and a timeout; programs that open windows share one desktop and take the "desktop" lock.
#
#   rebootpc_test(NAME name LABELS label... SOURCES file... [LIBS lib...] [GUI] [TIMEOUT seconds])
#     A Windows test program, run under Wine by the cross-compiling emulator.
#   rebootpc_native_test(NAME name SOURCES file... [TIMEOUT seconds])
#   rebootpc_test_unprivileged(name)
#     Runs that Windows test program as an unprivileged user (tools/wine-run-unprivileged).
#     A Linux test program of platform-free code, label "native".

set(REBOOTPC_DEFAULT_TIMEOUT 120)

# Every test program leaves its JUnit XML report (GoogleTest's --gtest_output=xml) in
# test-results/ of the build tree, named after the program. A program run under Wine sees the
# Linux file system as drive Z:.
set(REBOOTPC_TEST_RESULTS ${CMAKE_BINARY_DIR}/test-results)
if(CMAKE_CROSSCOMPILING AND WIN32)
  set(REBOOTPC_TEST_RESULTS_SEEN Z:${REBOOTPC_TEST_RESULTS})
else()
  set(REBOOTPC_TEST_RESULTS_SEEN ${REBOOTPC_TEST_RESULTS})
endif()
file(MAKE_DIRECTORY ${REBOOTPC_TEST_RESULTS})

function(rebootpc_add_gtest name)
  add_test(NAME ${name} COMMAND ${name} --gtest_output=xml:${REBOOTPC_TEST_RESULTS_SEEN}/${name}.xml)
endfunction()

function(rebootpc_test)
  cmake_parse_arguments(T "GUI" "NAME;TIMEOUT" "LABELS;SOURCES;LIBS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT ${REBOOTPC_DEFAULT_TIMEOUT})
  endif()
  add_executable(${T_NAME} ${T_SOURCES} ${CMAKE_SOURCE_DIR}/resources/manifest.rc)
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} rebootpc_test_support gtest)
  rebootpc_windows_exe(${T_NAME})
  rebootpc_add_gtest(${T_NAME})
  # The program's own watchdog fires a little before ctest's timeout, so a hang is reported
  # by the program itself.
  math(EXPR watchdog "${T_TIMEOUT} - 5")
  set_tests_properties(${T_NAME} PROPERTIES LABELS "${T_LABELS}" TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "REBOOTPC_TEST_WATCHDOG=${watchdog}")
  if(T_GUI)
    set_tests_properties(${T_NAME} PROPERTIES RESOURCE_LOCK desktop)
  endif()
endfunction()

function(rebootpc_native_test)
  if(WIN32)
    return()
  endif()
  cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT ${REBOOTPC_DEFAULT_TIMEOUT})
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  rebootpc_strict(${T_NAME})
  rebootpc_add_gtest(${T_NAME})
  set_tests_properties(${T_NAME} PROPERTIES LABELS native TIMEOUT ${T_TIMEOUT})
endfunction()

function(rebootpc_test_unprivileged name)
  if(CMAKE_CROSSCOMPILING)
    set_property(TARGET ${name} PROPERTY CROSSCOMPILING_EMULATOR
      ${CMAKE_SOURCE_DIR}/tools/wine-run-unprivileged --prefix ${REBOOTPC_WINEPREFIX})
  endif()
endfunction()
