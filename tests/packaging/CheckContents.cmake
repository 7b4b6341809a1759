# The two packages of one build, by their contents: the setup is an installer for the build's own
# architecture and carries the same Spindrel.exe and services as the zip, which adds README.txt.
# cmake -DBUILD=<build folder> -DSETUP=<setup name> -DZIP=<zip name> -DMACHINE=<i386|amd64>
#       -DICON=<the program's .ico> -DVERSION=<x.y.z> -P CheckContents.cmake
cmake_minimum_required(VERSION 3.25)
string(REPLACE "." "," VERSION_COMMAS "${VERSION}.0")
set(work ${BUILD}/tests/packaging/contents)
file(REMOVE_RECURSE ${work})
file(MAKE_DIRECTORY ${work}/setup ${work}/zip)

function(fail message)
  message(FATAL_ERROR "${message}")
endfunction()

set(expected_subtype_i386 "NSIS-3 Unicode")
set(expected_subtype_amd64 "NSIS-3 Unicode 64-bit")

# The setup: its listing names exactly our files (NSIS's own plug-ins aside).
execute_process(COMMAND 7z l -slt ${BUILD}/${SETUP} OUTPUT_VARIABLE listing RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  fail("7z cannot read ${SETUP}")
endif()
# The archive's own properties come first; its files follow the dashes.
string(REGEX REPLACE "^.*\n----------\n" "" files "${listing}")
string(REGEX MATCHALL "(^|\n)Path = [^\n]*" paths "\n${files}")
string(REGEX REPLACE "\nPath = " "" paths "${paths}")
list(FILTER paths EXCLUDE REGEX "^\\$PLUGINSDIR/")
list(SORT paths)
if(NOT paths STREQUAL "Spindrel.exe;Uninstall.exe;services")
  fail("${SETUP} holds ${paths}")
endif()
string(REGEX MATCH "\nSubType = [^\n]*" subtype "${listing}")
if(NOT subtype STREQUAL "\nSubType = ${expected_subtype_${MACHINE}}")
  fail("${SETUP} is ${subtype}, not ${expected_subtype_${MACHINE}}")
endif()

# The zip: the three files at its top.
execute_process(COMMAND unzip -Z1 ${BUILD}/${ZIP} OUTPUT_VARIABLE names RESULT_VARIABLE rc)
string(REPLACE "\n" ";" names "${names}")
list(FILTER names EXCLUDE REGEX "^$")
list(SORT names)
if(NOT rc EQUAL 0 OR NOT names STREQUAL "README.txt;Spindrel.exe;services")
  fail("${ZIP} holds ${names}")
endif()

# Same files in both, and they are this build's.
execute_process(COMMAND 7z x -y -o${work}/setup ${BUILD}/${SETUP} Spindrel.exe services OUTPUT_QUIET RESULT_VARIABLE rc1)
execute_process(COMMAND unzip -q -o ${BUILD}/${ZIP} -d ${work}/zip RESULT_VARIABLE rc2)
if(NOT rc1 EQUAL 0 OR NOT rc2 EQUAL 0)
  fail("cannot unpack the packages")
endif()
foreach(pair "Spindrel.exe;${BUILD}/Spindrel.exe" "services;${BUILD}/packaging/services")
  list(GET pair 0 name)
  list(GET pair 1 built)
  file(SHA256 ${built} want)
  file(SHA256 ${work}/setup/${name} in_setup)
  file(SHA256 ${work}/zip/${name} in_zip)
  if(NOT in_setup STREQUAL want OR NOT in_zip STREQUAL want)
    fail("${name} in the packages is not the build's")
  endif()
endforeach()

# The setup's own icon is the program's (each image of res/icons/spindrel.ico among its icons) and
# its version resource gives the version.
execute_process(COMMAND 7z x -y -tPE -o${work}/resources ${BUILD}/${SETUP} .rsrc/ICON .rsrc/version.txt
                OUTPUT_QUIET RESULT_VARIABLE rc)
file(GLOB icons ${work}/resources/.rsrc/ICON/*)
set(images)
foreach(icon ${icons})
  if(icon MATCHES "\\.ico$")
    file(READ ${icon} image OFFSET 22 HEX) # one image after its 6-byte header and 16-byte entry
  else()
    file(READ ${icon} image HEX) # a PNG image (the 256-pixel one), given as it is stored
  endif()
  list(APPEND images "${image}")
endforeach()
file(READ ${ICON} count OFFSET 4 LIMIT 2 HEX)
string(REGEX REPLACE "(..)(..)" "0x\\2\\1" count "${count}")
math(EXPR last "${count} - 1")
foreach(i RANGE ${last})
  math(EXPR entry "6 + 16 * ${i} + 8")
  file(READ ${ICON} size_and_offset OFFSET ${entry} LIMIT 8 HEX)
  string(REGEX REPLACE "(..)(..)(..)(..)(..)(..)(..)(..)" "0x\\4\\3\\2\\1;0x\\8\\7\\6\\5" size_and_offset "${size_and_offset}")
  list(GET size_and_offset 0 size)
  list(GET size_and_offset 1 offset)
  math(EXPR size "${size}")
  math(EXPR offset "${offset}")
  file(READ ${ICON} image OFFSET ${offset} LIMIT ${size} HEX)
  if(NOT image IN_LIST images)
    fail("${SETUP} lacks image ${i} of the program's icon")
  endif()
endforeach()
file(STRINGS ${work}/resources/.rsrc/version.txt version ENCODING UTF-16LE)
if(NOT version MATCHES "PRODUCTVERSION +${VERSION_COMMAS}" OR NOT version MATCHES "\"ProductVersion\", +\"${VERSION}\"")
  fail("${SETUP} has no version ${VERSION}: ${version}")
endif()
# The program's own version resource: the project's version in its four places.
execute_process(COMMAND 7z x -y -tPE -o${work}/program ${BUILD}/Spindrel.exe .rsrc/version.txt
                OUTPUT_QUIET RESULT_VARIABLE rc)
file(STRINGS ${work}/program/.rsrc/version.txt version ENCODING UTF-16LE)
foreach(field "FILEVERSION +${VERSION_COMMAS}" "PRODUCTVERSION +${VERSION_COMMAS}"
              "\"FileVersion\", +\"${VERSION}\\.0\"" "\"ProductVersion\", +\"${VERSION}\\.0\"")
  if(NOT version MATCHES "${field}")
    fail("Spindrel.exe's version resource lacks ${field}: ${version}")
  endif()
endforeach()
message(STATUS "${SETUP} and ${ZIP}: contents as expected")
