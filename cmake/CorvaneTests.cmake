# corvane_add_gtest(NAME SOURCES ... [LIBRARIES ...] [RESOURCE_LOCK lock ...] [LABELS ...])
#
# Builds one GoogleTest program and registers its cases with CTest. Cases are discovered when
# the tests run, never at build time, so that building a Windows tree never starts Wine. In the
# Windows trees CMAKE_CROSSCOMPILING_EMULATOR runs the program under the project's headless
# Wine (scripts/wine-exec).
include(GoogleTest)

function(corvane_add_gtest name)
  cmake_parse_arguments(arg "" "" "SOURCES;LIBRARIES;RESOURCE_LOCK;LABELS" ${ARGN})
  add_executable(${name} ${arg_SOURCES})
  target_link_libraries(${name} PRIVATE ${arg_LIBRARIES} GTest::gmock GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  set(props "")
  if(arg_RESOURCE_LOCK)
    list(APPEND props RESOURCE_LOCK "${arg_RESOURCE_LOCK}")
  endif()
  if(arg_LABELS)
    list(APPEND props LABELS "${arg_LABELS}")
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    WORKING_DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}
    PROPERTIES TIMEOUT 300 ${props})
endfunction()

if(CORVANE_WINDOWS)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/scripts/wine-exec CACHE FILEPATH "" FORCE)
endif()
