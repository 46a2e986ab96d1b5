# Third-party libraries for the Windows builds.
#  - zlib: Debian's mingw package (in the toolchain's sysroot).
#  - Crypto++, libpng, libjpeg, libtiff, giflib: built by scripts/deps.sh into
#    a cache outside the tree; QLC_DEPS_PREFIX points at the target's prefix.
#  - GoogleTest: Debian's sources, built here for the target.

set(QLC_DEPS_PREFIX "" CACHE PATH "Prefix of the dependency cache for this target")
if(NOT QLC_DEPS_PREFIX OR NOT EXISTS "${QLC_DEPS_PREFIX}/lib")
  message(WARNING "QLC_DEPS_PREFIX is not set or has no lib/: run scripts/deps.sh first (scripts/build.sh does)")
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
