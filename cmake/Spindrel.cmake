# Shared build settings and the helpers every folder uses to declare its libraries and tests.

add_library(spindrel_warnings INTERFACE)
target_compile_options(spindrel_warnings INTERFACE -Wall -Wextra -Wshadow -Wno-missing-field-initializers)
if(SPINDREL_WERROR)
  target_compile_options(spindrel_warnings INTERFACE -Werror)
endif()

if(SPINDREL_WINDOWS)
  # Windows XP and later; the ANSI API throughout.
  add_compile_definitions(WINVER=0x0501 _WIN32_WINNT=0x0501 _WIN32_IE=0x0600 WIN32_LEAN_AND_MEAN NOMINMAX STRICT)
  # Hardening: stack protection everywhere, checked buffer functions where optimising (libssp, linked
  # in statically, provides both), ASLR with a relocation table (high-entropy on 64-bit), DEP, and
  # terminal-server awareness.
  add_compile_options(-fstack-protector-strong $<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=2>)
  # One self-contained exe: the C++ runtime, libgcc and winpthreads linked in.
  add_link_options(-static -static-libgcc -static-libstdc++ -fstack-protector-strong
                   -Wl,--dynamicbase -Wl,--nxcompat -Wl,--tsaware)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    add_link_options(-Wl,--high-entropy-va)
  endif()
  # Reproducible: no link time in the headers, no source or build folder in the objects.
  add_compile_options(-ffile-prefix-map=${CMAKE_SOURCE_DIR}/=
                      -ffile-prefix-map=${CMAKE_BINARY_DIR}/=)
  add_link_options(-Wl,--no-insert-timestamp)

  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(WINE_LOADER "/usr/lib/wine/wine64")
  else()
    set(WINE_LOADER "/usr/lib/wine/wine")
  endif()
  configure_file(${CMAKE_SOURCE_DIR}/cmake/wine-run.in ${CMAKE_BINARY_DIR}/wine-run @ONLY
                 FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_BINARY_DIR}/wine-run")
else()
  set(SPINDREL_SANITIZERS "-fsanitize=address,undefined" CACHE STRING "Sanitizers of the native build")
  add_compile_options(${SPINDREL_SANITIZERS} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(${SPINDREL_SANITIZERS})
endif()

# spindrel_write_program_folders(<target> <file>): writes the source folders of everything linked
# into the target, one a line, for scripts/check-binary, which checks that each of their sources
# was compiled with the hardening flags. Called once every target exists.
function(spindrel_write_program_folders target file)
  set(pending ${target})
  set(seen "")
  set(folders "")
  while(pending)
    list(POP_FRONT pending current)
    if(NOT TARGET ${current} OR current IN_LIST seen)
      continue()
    endif()
    list(APPEND seen ${current})
    get_target_property(imported ${current} IMPORTED)
    if(imported)
      continue()
    endif()
    get_target_property(type ${current} TYPE)
    if(NOT type STREQUAL "INTERFACE_LIBRARY")
      get_target_property(sources ${current} SOURCES)
      get_target_property(source_dir ${current} SOURCE_DIR)
      foreach(source IN LISTS sources)
        if(source MATCHES "^\\$<")
          continue() # another target's objects, reached through that target
        endif()
        cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${source_dir})
        cmake_path(RELATIVE_PATH source BASE_DIRECTORY ${CMAKE_SOURCE_DIR} OUTPUT_VARIABLE relative)
        string(REGEX MATCH "^[^/]+" folder "${relative}")
        if(folder AND NOT folder STREQUAL ".." AND NOT folder IN_LIST folders)
          list(APPEND folders ${folder})
        endif()
      endforeach()
      get_target_property(links ${current} LINK_LIBRARIES)
      if(links)
        list(APPEND pending ${links})
      endif()
    endif()
    get_target_property(interface_links ${current} INTERFACE_LINK_LIBRARIES)
    if(interface_links)
      list(APPEND pending ${interface_links})
    endif()
  endwhile()
  list(SORT folders)
  list(JOIN folders "\n" text)
  file(WRITE ${file} "${text}\n")
endfunction()

# spindrel_core(<name> <sources>...): a portable library, no <windows.h>, built in both presets.
function(spindrel_core name)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE spindrel_warnings)
endfunction()

# spindrel_test(<name> SOURCES <files>... LIBS <libs>... [WIN32_ONLY] [TIMEOUT <s>] [LABELS <l>...])
# A GoogleTest executable and its CTest entry. Windows builds run it under Wine.
function(spindrel_test name)
  cmake_parse_arguments(T "WIN32_ONLY" "TIMEOUT" "SOURCES;LIBS;LABELS;ARGS" ${ARGN})
  if(T_WIN32_ONLY AND NOT SPINDREL_WINDOWS)
    return()
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} gtest gtest_main spindrel_warnings)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  add_test(NAME ${name} COMMAND ${name} ${T_ARGS})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
  if(T_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
  endif()
endfunction()
