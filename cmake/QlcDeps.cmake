# Third-party libraries for the Windows builds.
#  - zlib: Debian's mingw package (in the toolchain's sysroot).
#  - Crypto++, libpng, libjpeg, libtiff, giflib: built by scripts/deps.sh into
#    a cache outside the tree; QLC_DEPS_PREFIX points at the target's prefix.
#  - GoogleTest: Debian's sources, built here for the target.

set(QLC_DEPS_PREFIX "" CACHE PATH "Prefix of the dependency cache for this target (empty: the one scripts/deps.sh builds)")
if(NOT QLC_DEPS_PREFIX)
  # Where scripts/deps.sh builds: its key covers the library versions, the
  # compilers and the recipe, so only the script itself can name it. An
  # older cache is never taken instead: it may hold other versions.
  execute_process(COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/deps.sh --prefix ${QLC_TRIPLET}
                  OUTPUT_VARIABLE QLC_DEPS_PREFIX OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE _qlc_deps_rc)
  if(NOT _qlc_deps_rc EQUAL 0)
    message(FATAL_ERROR "scripts/deps.sh --prefix ${QLC_TRIPLET} failed")
  endif()
endif()
if(EXISTS "${QLC_DEPS_PREFIX}/lib/libcryptopp.a")
  message(STATUS "Dependencies: ${QLC_DEPS_PREFIX}")
else()
  # Configuring still works; only targets that link these libraries fail.
  message(WARNING "No dependency cache at ${QLC_DEPS_PREFIX}: run scripts/deps.sh "
                  "(scripts/build.sh and scripts/test.sh do), or pass -DQLC_DEPS_PREFIX=...")
endif()

function(qlc_import_static name lib)
  add_library(${name} STATIC IMPORTED GLOBAL)
  set_target_properties(${name} PROPERTIES IMPORTED_LOCATION "${QLC_DEPS_PREFIX}/lib/${lib}")
  if(EXISTS "${QLC_DEPS_PREFIX}/include")
    set_target_properties(${name} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES "${QLC_DEPS_PREFIX}/include")
  endif()
endfunction()

add_library(qlc_zlib INTERFACE)
target_link_libraries(qlc_zlib INTERFACE /usr/${QLC_TRIPLET}/lib/libz.a)
add_library(Qlc::zlib ALIAS qlc_zlib)

qlc_import_static(Qlc::cryptopp libcryptopp.a)
qlc_import_static(Qlc::png      libpng16.a)
qlc_import_static(Qlc::jpeg     libjpeg.a)
qlc_import_static(Qlc::tiff     libtiff.a)
qlc_import_static(Qlc::gif      libgif.a)
set_property(TARGET Qlc::png  APPEND PROPERTY INTERFACE_LINK_LIBRARIES Qlc::zlib)
set_property(TARGET Qlc::tiff APPEND PROPERTY INTERFACE_LINK_LIBRARIES Qlc::jpeg Qlc::zlib)

if(QLC_TESTS)
  set(QLC_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${QLC_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  if(NOT TARGET GTest::gtest)
    add_library(GTest::gtest ALIAS gtest)
    add_library(GTest::gtest_main ALIAS gtest_main)
    add_library(GTest::gmock ALIAS gmock)
  endif()
endif()
