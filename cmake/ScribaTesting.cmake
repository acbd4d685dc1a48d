# One helper per kind of test: GoogleTest programs for the logic, QtTest programs for the widgets.
find_package(GTest REQUIRED)
find_package(Qt6 REQUIRED COMPONENTS Test)
include(GoogleTest)

# scriba_add_gtest(NAME SOURCES...): a GoogleTest program against scriba_logic.
function(scriba_add_gtest name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE scriba_logic GTest::gtest_main)
  if(SCRIBA_USE_PCH)
    target_precompile_headers(${name} PRIVATE <gtest/gtest.h> <string> <vector>)
  endif()
  target_compile_definitions(${name} PRIVATE SCRIBA_TEST_DATA="${CMAKE_SOURCE_DIR}/tests/data")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
endfunction()

# scriba_add_qtest(NAME SOURCES...): a QtTest program against the real widgets, offscreen.
function(scriba_add_qtest name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE scriba_ui Qt6::Test)
  target_compile_definitions(${name} PRIVATE SCRIBA_TEST_DATA="${CMAKE_SOURCE_DIR}/tests/data")
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_FATAL_WARNINGS=0"
    TIMEOUT 300)
endfunction()
