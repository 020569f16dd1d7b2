# A packager's build without GoogleTest: configured with the tests off on a machine where GoogleTest
# cannot be found (CMake refuses every search for it), the program's build is made and its entry
# point compiles, and nothing of the program links GoogleTest. Run by CTest with SOURCE and TREE set.
# The whole program is not rebuilt here: its sources are the ones the tests' build compiles.
file(REMOVE_RECURSE ${TREE})
execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${TREE} -G "Unix Makefiles" -DBUILD_TESTING=OFF
                        -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_BUILD_TYPE=Release
                RESULT_VARIABLE result OUTPUT_VARIABLE said ERROR_VARIABLE said)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "configuring with -DBUILD_TESTING=OFF failed without GoogleTest:\n${said}")
endif()
if(EXISTS ${TREE}/tests)
  message(FATAL_ERROR "the tests are configured although BUILD_TESTING is OFF")
endif()
file(READ ${TREE}/host/CMakeFiles/copperleaf.dir/link.txt link)
if(link MATCHES "libgtest|libgmock|GTest")
  message(FATAL_ERROR "the program links GoogleTest: ${link}")
endif()
find_program(MAKE make REQUIRED)
execute_process(COMMAND ${MAKE} -C ${TREE}/host main.cpp.o RESULT_VARIABLE result OUTPUT_VARIABLE said ERROR_VARIABLE said)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the program's entry point does not compile without GoogleTest:\n${said}")
endif()
file(REMOVE_RECURSE ${TREE})
