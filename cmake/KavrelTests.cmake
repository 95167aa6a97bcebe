# kavrel_add_tests(NAME DIR LIBS...): one GoogleTest executable from every
# *.cpp in DIR, each case registered with CTest.  Tests never touch the
# user's settings, display or sound card.
include(GoogleTest)

# Under the sanitizers every report ends the case (and any program it starts,
# which inherits the environment), and leaks are checked at exit; Qt's and its
# libraries' own leaks are suppressed, with reasons, in cmake/lsan.supp.
set(KAVREL_TEST_ENVIRONMENT
  "QT_QPA_PLATFORM=offscreen;KAVREL_AUDIO=virtual;XDG_CONFIG_HOME=${CMAKE_BINARY_DIR}/test-config;TMPDIR=${CMAKE_BINARY_DIR}/test-tmp")
if(KAVREL_SANITIZE)
  list(APPEND KAVREL_TEST_ENVIRONMENT
    "ASAN_OPTIONS=detect_leaks=1:abort_on_error=1"
    "UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1"
    "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/cmake/lsan.supp:print_suppressions=0")
endif()

function(kavrel_add_tests name dir)
  file(GLOB _srcs CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(NOT _srcs)
    return()
  endif()
  add_executable(${name} ${_srcs} ${CMAKE_SOURCE_DIR}/cmake/KavrelTestProcess.cpp)
  target_link_libraries(${name} PRIVATE ${ARGN} GTest::gtest GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    KAVREL_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    KAVREL_BINARY_DIR="${CMAKE_BINARY_DIR}")
  # A dialog left waiting for a user would hang the run: no case may take long.
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT 120)
  # The environment goes on once the cases are known: handed to
  # gtest_discover_tests, a list reaches the cases split up, and only its
  # first variable is set.
  set(_env_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_environment.cmake)
  file(WRITE ${_env_file}
    "if(DEFINED ${name}_TESTS)\n"
    "  set_tests_properties(\${${name}_TESTS} PROPERTIES ENVIRONMENT [==[${KAVREL_TEST_ENVIRONMENT}]==])\n"
    "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${_env_file})
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/test-config ${CMAKE_BINARY_DIR}/test-tmp)
endfunction()
