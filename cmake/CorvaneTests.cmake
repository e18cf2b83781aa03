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
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    WORKING_DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}
    PROPERTIES TIMEOUT 300)

  # The discovery's own PROPERTIES flattens a list (two locks would become a lock and a stray
  # property name): list-valued properties are set on the discovered cases after them, from a
  # file that CTest includes once the discovery's file has named the cases.
  set(props "")
  if(arg_RESOURCE_LOCK)
    string(APPEND props " RESOURCE_LOCK [==[${arg_RESOURCE_LOCK}]==]")
  endif()
  if("desktop" IN_LIST arg_RESOURCE_LOCK)
    string(APPEND props " ENVIRONMENT CORVANE_FRESH_PLAYER=1")
  endif()
  if(arg_LABELS)
    string(APPEND props " LABELS [==[${arg_LABELS}]==]")
  endif()
  if(props)
    set(file ${CMAKE_CURRENT_BINARY_DIR}/${name}_properties.cmake)
    file(WRITE ${file} "if(${name}_TESTS)\n  set_tests_properties(\${${name}_TESTS} PROPERTIES${props})\nendif()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${file})
  endif()
endfunction()

# corvane_hold_desktop(TEST ...): the tests take the desktop lock, as every test that shows a
# window or starts the player does, and whatever player they start starts without the list,
# volume, places and preferences an earlier test left in the Wine prefix (scripts/wine-exec
# forgets them). corvane_add_gtest's RESOURCE_LOCK desktop does the same. Only such tests
# forget: a test beside them never takes away the memory of a player that a test is watching.
function(corvane_hold_desktop)
  set_property(TEST ${ARGN} APPEND PROPERTY RESOURCE_LOCK desktop)
  set_property(TEST ${ARGN} APPEND PROPERTY ENVIRONMENT CORVANE_FRESH_PLAYER=1)
endfunction()

if(CORVANE_WINDOWS)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/scripts/wine-exec CACHE FILEPATH "" FORCE)
endif()
