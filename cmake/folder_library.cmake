# One library per folder: every .cpp of the folder except the *_test.cpp files and the
# *_main.cpp program files. The folder's tests go into one test program, <folder>_test,
# whose cases CTest discovers one by one.
function(talmidor_folder_library name)
  cmake_parse_arguments(ARG "" "" "DEPENDS;TEST_DEPENDS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  file(GLOB mains CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_main.cpp)
  if(tests)
    list(REMOVE_ITEM sources ${tests})
  endif()
  if(mains)
    list(REMOVE_ITEM sources ${mains})
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
  if(TALMIDOR_TESTS AND tests)
    add_executable(${name}_test ${tests})
    target_link_libraries(${name}_test PRIVATE ${name} ${ARG_TEST_DEPENDS} GTest::gtest GTest::gtest_main)
    set_target_properties(${name}_test PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    gtest_discover_tests(${name}_test
      WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
      PROPERTIES ENVIRONMENT "TALMIDOR_BUILD_DIR=${CMAKE_BINARY_DIR};TALMIDOR_SOURCE_DIR=${CMAKE_SOURCE_DIR}"
      DISCOVERY_TIMEOUT 60)
  endif()
endfunction()
