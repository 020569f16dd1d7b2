# Run by "cmake --install": writes the description, the desktop entries and the manual page with the
# program's installed path, then installs them. CMAKE_INSTALL_PREFIX is the prefix of this
# installation; the folders below it come from the build (a folder given as an absolute path stays so).
foreach(folder HACK_DIR DATA_DIR MAN_DIR)
  cmake_path(ABSOLUTE_PATH COPPERLEAF_${folder} BASE_DIRECTORY "${CMAKE_INSTALL_PREFIX}" NORMALIZE
             OUTPUT_VARIABLE full_${folder})
endforeach()
set(COPPERLEAF_PROGRAM "${full_HACK_DIR}/copperleaf")
set(COPPERLEAF_CONFIG_FOLDER "${full_DATA_DIR}/xscreensaver/config")
set(COPPERLEAF_DESKTOP_FOLDER "${full_DATA_DIR}/applications")

# A macro, not a function: file(INSTALL) adds the file to the install manifest in the caller's scope.
macro(copperleaf_install_text name folder)
  configure_file("${COPPERLEAF_TEXTS}/${name}.in" "${COPPERLEAF_TEXTS_OUT}/${name}" @ONLY)
  file(INSTALL "${COPPERLEAF_TEXTS_OUT}/${name}" DESTINATION "${folder}")
endmacro()
copperleaf_install_text(copperleaf.xml "${COPPERLEAF_CONFIG_FOLDER}")
copperleaf_install_text(copperleaf.desktop "${COPPERLEAF_DESKTOP_FOLDER}/screensavers")
copperleaf_install_text(copperleaf-settings.desktop "${COPPERLEAF_DESKTOP_FOLDER}")
copperleaf_install_text(copperleaf.6x "${full_MAN_DIR}/man6")
