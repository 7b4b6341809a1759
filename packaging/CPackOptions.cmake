# Read by cpack once per package kind: the setup's name says what it is; the zip holds the three
# files at its top, so that Explorer's "Extract all" gives one folder with Spindrel.exe in it.
if(CPACK_GENERATOR STREQUAL "NSIS")
  set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_FILE_NAME}-setup")
elseif(CPACK_GENERATOR STREQUAL "ZIP")
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
endif()
