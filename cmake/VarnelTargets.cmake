# One static library per layer, made of every .cpp under its folder. Every target includes
# from the one root src/, so an include names its folder ("make/MakeRun.h"); which folders a
# layer may include from is checked by cmake/CheckLayers.cmake.
set(VARNEL_SOURCE_ROOT ${PROJECT_SOURCE_DIR}/src)

function(varnel_layer name)
  cmake_parse_arguments(L "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE _sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  file(GLOB_RECURSE _headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  if(_sources)
    add_library(${name} STATIC ${_sources} ${_headers})
    target_include_directories(${name} PUBLIC ${VARNEL_SOURCE_ROOT})
    target_link_libraries(${name} PUBLIC ${L_DEPS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${VARNEL_SOURCE_ROOT})
    target_link_libraries(${name} INTERFACE ${L_DEPS})
  endif()
endfunction()

# One GoogleTest program per layer, made of every .cpp in its test folder.
function(varnel_layer_tests name)
  cmake_parse_arguments(T "" "" "DEPS" ${ARGN})
  file(GLOB _sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT _sources)
    return()
  endif()
  add_executable(${name} ${_sources})
  target_link_libraries(${name} PRIVATE ${T_DEPS} varnel_test_support GTest::gtest GTest::gmock GTest::gtest_main)
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "VARNEL_BUILD_DIR=${CMAKE_BINARY_DIR};VARNEL_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
endfunction()

# The layer check runs whenever a source changes, before anything is compiled.
file(GLOB_RECURSE _varnel_all_sources CONFIGURE_DEPENDS ${VARNEL_SOURCE_ROOT}/*.h
     ${VARNEL_SOURCE_ROOT}/*.cpp)
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/layers.ok
  COMMAND ${CMAKE_COMMAND} -DSOURCE_ROOT=${VARNEL_SOURCE_ROOT} -DSTAMP=${CMAKE_BINARY_DIR}/layers.ok
          -P ${PROJECT_SOURCE_DIR}/cmake/CheckLayers.cmake
  DEPENDS ${_varnel_all_sources} ${PROJECT_SOURCE_DIR}/cmake/CheckLayers.cmake
  COMMENT "Checking that every include keeps to its layer")
add_custom_target(varnel_layers ALL DEPENDS ${CMAKE_BINARY_DIR}/layers.ok)
