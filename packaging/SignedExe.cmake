# Run by cpack once per package, after it staged the files: when scripts/release signed
# Spindrel.exe (cpack -D CPACK_SPINDREL_SIGNED_EXE=<the signed copy>), that copy replaces the staged
# exe, so that the setup and the zip carry one and the same signed file. Otherwise nothing changes.
if(NOT CPACK_SPINDREL_SIGNED_EXE)
  return()
endif()
set(staged ${CPACK_TEMPORARY_INSTALL_DIRECTORY}/Spindrel.exe)
if(NOT EXISTS ${staged})
  message(FATAL_ERROR "no Spindrel.exe staged in ${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
endif()
file(COPY_FILE ${CPACK_SPINDREL_SIGNED_EXE} ${staged})
message(STATUS "Spindrel.exe: the signed ${CPACK_SPINDREL_SIGNED_EXE}")
