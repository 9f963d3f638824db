# One library per source folder. Sources are globbed so that adding a file needs no
# edit of a shared CMake file; a folder without sources yields an interface library.
function(velquora_layer name)
  cmake_parse_arguments(ARG "" "DIR" "DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
    ${CMAKE_CURRENT_SOURCE_DIR}/${ARG_DIR}/*.cpp)
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE velquora_warnings)
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# A test program per folder of tests/, its cases registered with CTest.
function(velquora_test_folder name dir)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE velquora_tools velquora_all GTest::gtest GTest::gmock GTest::gtest_main velquora_warnings)
  target_compile_definitions(${name} PRIVATE
    VELQUORA_TEST_FILES="${PROJECT_SOURCE_DIR}/tests/data")
  # fontconfig and the display libraries keep some allocations for the life of the
  # process; LeakSanitizer is told so (the programs the end-to-end tests start get the
  # same list from their environment).
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "LSAN_OPTIONS=print_suppressions=0:suppressions=${PROJECT_SOURCE_DIR}/tests/data/lsan/display_libraries.supp")
endfunction()
