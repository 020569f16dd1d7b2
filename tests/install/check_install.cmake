# Installs the build into a staging folder (DESTDIR) and checks that every file lands where the
# screen-saver managers look for it. Run by CTest with BUILD, STAGE, HACK_DIR, CONFIG_DIR and
# DESKTOP_DIR set.
file(REMOVE_RECURSE ${STAGE})
execute_process(COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${STAGE} ${CMAKE_COMMAND} --install ${BUILD}
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
foreach(file copperleaf vaultkit.dll)
  set(installed ${STAGE}${HACK_DIR}/${file})
  if(NOT EXISTS ${installed} OR IS_DIRECTORY ${installed})
    message(FATAL_ERROR "no ${file} at ${installed}")
  endif()
endforeach()
file(READ ${STAGE}${CONFIG_DIR}/copperleaf.xml description)
if(NOT description MATCHES "<screensaver name=\"copperleaf\"" OR NOT description MATCHES "<command arg=\"--root\"/>")
  message(FATAL_ERROR "copperleaf.xml does not describe the program: ${description}")
endif()
file(READ ${STAGE}${DESKTOP_DIR}/copperleaf.desktop entry)
if(NOT entry MATCHES "\nExec=${HACK_DIR}/copperleaf --root\n")
  message(FATAL_ERROR "the desktop entry does not start the installed program: ${entry}")
endif()
file(REMOVE_RECURSE ${STAGE})
