# Installs the build, stripped, into a staging folder (DESTDIR) with a prefix of its own, as a packager
# does, and checks what lands there: every file below the prefix and nowhere else, the desktop
# entries valid and naming the installed program, the manual page rendered, the stripped program
# running from its installed folder. Run by CTest with BUILD, STAGE, PREFIX and VERSION set.
#
# The installation is of the one component every file belongs to, so that its manifest does not
# replace the build's install_manifest.txt, which a user's own installation wrote.
file(REMOVE_RECURSE ${STAGE})
execute_process(COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${STAGE}
                        ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX} --strip --component Unspecified
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

set(program ${PREFIX}/libexec/xscreensaver/copperleaf)
set(expected
  ${program}
  ${PREFIX}/libexec/xscreensaver/vaultkit.dll
  ${PREFIX}/share/xscreensaver/config/copperleaf.xml
  ${PREFIX}/share/applications/screensavers/copperleaf.desktop
  ${PREFIX}/share/applications/copperleaf-settings.desktop
  ${PREFIX}/share/man/man6/copperleaf.6x)
list(SORT expected)
file(GLOB_RECURSE staged LIST_DIRECTORIES false RELATIVE ${STAGE} ${STAGE}/*)
list(TRANSFORM staged PREPEND /)
list(SORT staged)
if(NOT staged STREQUAL expected)
  string(REPLACE ";" "\n  " staged_text "${staged}")
  message(FATAL_ERROR "the installation is not the program's files below ${PREFIX}:\n  ${staged_text}")
endif()
# The manifest, from which the README's uninstall line removes the files, names each of them.
file(STRINGS ${BUILD}/install_manifest_Unspecified.txt manifest)
list(TRANSFORM manifest REPLACE "^${STAGE}" "")
list(SORT manifest)
if(NOT manifest STREQUAL expected)
  message(FATAL_ERROR "the install manifest does not list the installed files: ${manifest}")
endif()
file(REMOVE ${BUILD}/install_manifest_Unspecified.txt)

function(expect_in file pattern)
  file(READ ${STAGE}${file} text)
  if(NOT text MATCHES "${pattern}")
    message(FATAL_ERROR "${file} does not hold \"${pattern}\":\n${text}")
  endif()
endfunction()
expect_in(${PREFIX}/share/xscreensaver/config/copperleaf.xml "<command arg=\"--root\"/>")
# The description names ways to the settings that work: the menu entry and the installed program.
expect_in(${PREFIX}/share/xscreensaver/config/copperleaf.xml "\"Copperleaf Settings\"")
expect_in(${PREFIX}/share/xscreensaver/config/copperleaf.xml "\"${program} /c\"")
expect_in(${PREFIX}/share/applications/screensavers/copperleaf.desktop "\nExec=${program} --root\n")
expect_in(${PREFIX}/share/applications/screensavers/copperleaf.desktop "\nOnlyShowIn=MATE;\n")
expect_in(${PREFIX}/share/applications/copperleaf-settings.desktop "\nName=Copperleaf Settings\n")
expect_in(${PREFIX}/share/applications/copperleaf-settings.desktop "\nExec=${program} /c\n")

find_program(VALIDATE desktop-file-validate)
if(NOT VALIDATE)
  message(FATAL_ERROR "desktop-file-validate is not installed (tools/setup.sh installs it)")
endif()
foreach(entry screensavers/copperleaf.desktop copperleaf-settings.desktop)
  execute_process(COMMAND ${VALIDATE} ${STAGE}${PREFIX}/share/applications/${entry}
                  RESULT_VARIABLE result OUTPUT_VARIABLE said ERROR_VARIABLE said)
  # A hint (such as the screensaver category not being a main one) is no fault of the entry.
  string(REGEX REPLACE "[^\n]*: hint: [^\n]*\n?" "" said "${said}")
  if(NOT result EQUAL 0 OR NOT said STREQUAL "")
    message(FATAL_ERROR "desktop-file-validate refuses ${entry}: ${said}")
  endif()
endforeach()

# The manual page renders without a warning, with each part and option a user looks for.
execute_process(COMMAND ${CMAKE_COMMAND} -E env MANWIDTH=80 man --warnings -l ${STAGE}${PREFIX}/share/man/man6/copperleaf.6x
                RESULT_VARIABLE result OUTPUT_VARIABLE page ERROR_VARIABLE warnings)
if(NOT result EQUAL 0 OR NOT warnings STREQUAL "")
  message(FATAL_ERROR "man -l fails on the manual page (${result}): ${warnings}")
endif()
foreach(part "NAME" "SYNOPSIS" "OPTIONS" "EXIT STATUS" "ENVIRONMENT" "FILES" "--window-id" "--version"
             "XSCREENSAVER_WINDOW" "COPPERLEAF_SOUND_FILE" "${program}" "xscreensaver" "mate-screensaver" "xsecurelock")
  string(FIND "${page}" "${part}" at)
  if(at LESS 0)
    message(FATAL_ERROR "the manual page does not show \"${part}\":\n${page}")
  endif()
endforeach()

# The stripped program runs from where it was installed.
execute_process(COMMAND ${STAGE}${program} --version RESULT_VARIABLE result OUTPUT_VARIABLE version)
if(NOT result EQUAL 0 OR NOT version STREQUAL "copperleaf ${VERSION}\n")
  message(FATAL_ERROR "the installed program answers --version with ${result}: ${version}")
endif()
file(SIZE ${STAGE}${program} installed_size)
file(SIZE ${BUILD}/host/copperleaf built_size)
if(NOT installed_size LESS built_size)
  message(FATAL_ERROR "the installed program is not stripped: ${installed_size} bytes")
endif()
file(REMOVE_RECURSE ${STAGE})
