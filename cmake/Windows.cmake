# The Windows build (cmake/mingw-w64-x86_64.cmake): the plain C++ shared with
# Linux (encoding, protocol), the client's core with its Win32 adapters, the
# program with its resources, its zip and installer, and the tests as Windows
# programs.  Nothing here needs Qt, libcurl or the service's libraries.  The
# Linux build makes this one in windows/ of its folder and runs its tests under
# Wine (tests/windows); scripts/build-windows.sh makes the packages.
enable_language(C RC)  # C for GoogleTest's own project

# Each test program goes on the list that tests/windows reads (windows_tests.cmake):
# one entry per program, as every Wine start costs.  NEEDS names what the run
# must provide: "server" (the Linux transfer scenario server), "browser" (a
# fake xdg-open first on PATH).
function(quorvel_windows_test target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "NEEDS")
  set_property(GLOBAL APPEND PROPERTY QUORVEL_WINDOWS_TESTS ${target})
  set_property(GLOBAL PROPERTY QUORVEL_WINDOWS_TEST_NEEDS_${target} "${arg_NEEDS}")
  # ctest in this folder runs it under Wine too (CMAKE_CROSSCOMPILING_EMULATOR).
  add_test(NAME ${target} COMMAND ${target})
endfunction()

if(QUORVEL_TESTS)
  set(QUORVEL_GOOGLETEST_SOURCE /usr/src/googletest
      CACHE PATH "GoogleTest's sources (Debian's googletest package)")
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  # Windows' own locks, not winpthread's.
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  # It names its targets GTest::gtest and GTest::gtest_main as the Linux package does.
  add_subdirectory(${QUORVEL_GOOGLETEST_SOURCE} googletest EXCLUDE_FROM_ALL)
  enable_testing()
endif()

# After GoogleTest, whose warnings are not ours to fix.
add_compile_options("$<$<COMPILE_LANGUAGE:CXX>:-Wall;-Wextra;-Wpedantic;-Werror>")
add_compile_definitions(_GLIBCXX_ASSERTIONS UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN
                        _WIN32_WINNT=0x0A00 WINVER=0x0A00)

include(cmake/PlatformFree.cmake)
add_subdirectory(src/encoding)
add_subdirectory(src/protocol)
add_subdirectory(src/client)
include(cmake/WindowsPackages.cmake)

if(QUORVEL_TESTS)
  add_subdirectory(tests/support)
  add_subdirectory(tests/doubles)
  add_subdirectory(tests/encoding)
  add_subdirectory(tests/protocol)
  add_subdirectory(tests/client/app)
  add_subdirectory(tests/client/catalogue)
  add_subdirectory(tests/client/shell)

  set(list "# Made by cmake/Windows.cmake: the Windows test programs for tests/windows.\n")
  get_property(tests GLOBAL PROPERTY QUORVEL_WINDOWS_TESTS)
  foreach(test IN LISTS tests)
    get_property(needs GLOBAL PROPERTY QUORVEL_WINDOWS_TEST_NEEDS_${test})
    string(REPLACE ";" "," needs "${needs}")
    string(APPEND list "quorvel_wine_test(${test} \"$<TARGET_FILE:${test}>\" \"${needs}\")\n")
  endforeach()
  file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/windows_tests.cmake CONTENT "${list}")
endif()
