# The capture workers on real threads and loopback sockets, natively: once with the build's
# sanitizers (AddressSanitizer and UBSan), and once under ThreadSanitizer. ThreadSanitizer cannot
# share a process with AddressSanitizer, so that executable replaces the options it inherits and
# builds its own GoogleTest.
spindrel_test(unit_engine_threads SOURCES EngineCaptureThreadsTest.cpp)

find_package(Threads REQUIRED)
option(SPINDREL_TSAN "Also run the capture worker tests under ThreadSanitizer" ON)
if(SPINDREL_TSAN AND CMAKE_CXX_COMPILER_ID MATCHES "Clang|GNU")
  set(gtest_src ${GOOGLETEST_SOURCE_DIR}/googletest)
  add_executable(unit_engine_threads_tsan EngineCaptureThreadsTest.cpp
                 ${gtest_src}/src/gtest-all.cc ${gtest_src}/src/gtest_main.cc)
  target_include_directories(unit_engine_threads_tsan PRIVATE ${CMAKE_SOURCE_DIR} ${gtest_src}/include ${gtest_src})
  set_property(TARGET unit_engine_threads_tsan PROPERTY COMPILE_OPTIONS -fsanitize=thread -fno-omit-frame-pointer)
  set_property(TARGET unit_engine_threads_tsan PROPERTY LINK_OPTIONS -fsanitize=thread)
  target_link_libraries(unit_engine_threads_tsan PRIVATE spindrel_warnings Threads::Threads)
  set_source_files_properties(${gtest_src}/src/gtest-all.cc ${gtest_src}/src/gtest_main.cc
                              TARGET_DIRECTORY unit_engine_threads_tsan PROPERTIES COMPILE_OPTIONS -w)
  add_test(NAME unit_engine_threads_tsan COMMAND unit_engine_threads_tsan)
  set_tests_properties(unit_engine_threads_tsan PROPERTIES TIMEOUT 120 ENVIRONMENT "TSAN_OPTIONS=halt_on_error=1")
endif()
