# kavrel_add_tests(NAME DIR LIBS...): one GoogleTest executable from every
# *.cpp in DIR, each case registered with CTest.  Tests never touch the
# user's settings, display or sound card.
include(GoogleTest)
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
    PROPERTIES TIMEOUT 120 ENVIRONMENT
      "QT_QPA_PLATFORM=offscreen;KAVREL_AUDIO=virtual;XDG_CONFIG_HOME=${CMAKE_BINARY_DIR}/test-config;TMPDIR=${CMAKE_BINARY_DIR}/test-tmp")
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/test-config ${CMAKE_BINARY_DIR}/test-tmp)
endfunction()
