# Every folder is one library made of the sources below it; new files join without editing a list.
function(copperleaf_library name dir)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.c)
  # main.cpp of a folder is an executable's entry point, never part of its library.
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/platform/include)
    target_link_libraries(${name} PUBLIC ${ARGN})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/platform/include)
    target_link_libraries(${name} INTERFACE ${ARGN})
  endif()
endfunction()

# One test executable per folder of tests/, registered with CTest test by test. The time limit only
# catches a hang: the scene tests play the whole sample scene many times over, which takes minutes
# in the sanitizer build on a busy machine.
# A test whose name ends in "WhileEveryCoreIsBusy" loads every core on purpose: it runs alone, so
# that it neither starves the tests beside it nor is measured against their load.
function(copperleaf_tests name dir)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(sources)
    add_executable(${name} ${sources})
    target_link_libraries(${name} PRIVATE test_support ${ARGN} GTest::gtest GTest::gtest_main GTest::gmock)
    set(busy "*WhileEveryCoreIsBusy")
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 TEST_FILTER "-${busy}" PROPERTIES TIMEOUT 3000)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 TEST_FILTER "${busy}" PROPERTIES TIMEOUT 3000 RUN_SERIAL TRUE)
  endif()
endfunction()

# The stored classes register their readers from static initialisers in files that nothing else
# names, so a program that reads documents takes every object of the libraries that hold them:
# otherwise the linker drops those files and documents holding their classes would not load.
function(copperleaf_link_scene_classes target)
  target_link_libraries(${target} PRIVATE objects slideshow sound render)
  target_link_options(${target} PRIVATE
    -Wl,--whole-archive $<TARGET_FILE:slideshow> $<TARGET_FILE:objects> $<TARGET_FILE:sound> $<TARGET_FILE:render>
    -Wl,--no-whole-archive)
endfunction()

# Code that runs for every pixel. The default build (RelWithDebInfo, -O2) compiles it at -O3, as the
# release build compiles everything: only -O3 unrolls its loops over a pixel's four channels and
# keeps them in registers. The fuzz build keeps its own flags.
function(copperleaf_per_pixel target)
  if(CMAKE_BUILD_TYPE STREQUAL "RelWithDebInfo" AND NOT COPPERLEAF_FUZZ)
    target_compile_options(${target} PRIVATE -O3)
  endif()
endfunction()
