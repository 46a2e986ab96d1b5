# Settings and helpers shared by every folder.

# The program and the DLLs it loads by name land in one folder, bin/; the
# tests have a folder of their own (tests/CMakeLists.txt).
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib)

set(QLC_WARNINGS -Wall -Wextra)

if(WIN32 AND CMAKE_CROSSCOMPILING AND NOT CMAKE_CROSSCOMPILING_EMULATOR)
  # CTest runs the Windows test programs under wine64, in a wine prefix of
  # this build's own (scripts/test.sh boots it before CTest starts).
  set(QLC_WINEPREFIX ${CMAKE_BINARY_DIR}/wine)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/scripts/wine-exec.sh --prefix ${QLC_WINEPREFIX})
endif()

if(WIN32)
  # 8-bit (ANSI) Win32 throughout; Windows 7 API level.
  add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601 _WIN32_IE=0x0800
                          NOMINMAX STRICT _CRT_SECURE_NO_WARNINGS)
  # No mingw runtime DLL beside the programs.
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()

# qlc_target_defaults(target): warnings and include root for our own code.
function(qlc_target_defaults target)
  target_compile_options(${target} PRIVATE ${QLC_WARNINGS})
endfunction()

# qlc_add_gtest(name SOURCES ... [LIBS ...] [GUI])
# One test executable, one CTest entry. Runs in the tests' output folder so
# it finds the DLLs placed beside it; under cross builds CTest runs it
# through the emulator (wine).
function(qlc_add_gtest name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  qlc_target_defaults(${name})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  if(TARGET qlc_test_runtime)
    add_dependencies(${name} qlc_test_runtime)
  endif()
  add_test(NAME ${name} COMMAND ${name} --gtest_color=no
           WORKING_DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
endfunction()
