# Third-party libraries for the Windows builds.
#  - zlib: Debian's mingw package (in the toolchain's sysroot).
#  - Crypto++, libpng, libjpeg, libtiff, giflib: built by scripts/deps.sh into
#    a cache outside the tree; QLC_DEPS_PREFIX points at the target's prefix.
#  - GoogleTest: Debian's sources, built here for the target.

set(QLC_DEPS_PREFIX "" CACHE PATH "Prefix of the dependency cache for this target (empty: the one scripts/deps.sh builds)")
if(NOT QLC_DEPS_PREFIX)
  # Same place scripts/deps.sh builds into: keyed by the script's content.
  file(SHA256 ${CMAKE_SOURCE_DIR}/scripts/deps.sh _qlc_deps_key)
  string(SUBSTRING "${_qlc_deps_key}" 0 16 _qlc_deps_key)
  if(DEFINED ENV{QLC_CACHE})
    set(_qlc_cache "$ENV{QLC_CACHE}")
  else()
    set(_qlc_cache "$ENV{HOME}/.cache/quillcrest")
  endif()
  set(QLC_DEPS_PREFIX "${_qlc_cache}/deps-${_qlc_deps_key}/${QLC_TRIPLET}")
  if(NOT EXISTS "${QLC_DEPS_PREFIX}/lib/libcryptopp.a")
    # deps.sh changed and has not run yet: an older complete cache still
    # builds; take the newest one.
    file(GLOB _qlc_old LIST_DIRECTORIES true "${_qlc_cache}/deps-*/${QLC_TRIPLET}")
    set(_qlc_best "")
    set(_qlc_best_time "")
    foreach(d IN LISTS _qlc_old)
      if(EXISTS "${d}/lib/libcryptopp.a")
        file(TIMESTAMP "${d}" _t "%Y%m%d%H%M%S")
        if(_t STRGREATER _qlc_best_time)
          set(_qlc_best "${d}")
          set(_qlc_best_time "${_t}")
        endif()
      endif()
    endforeach()
    if(_qlc_best)
      message(WARNING "scripts/deps.sh changed since its cache was built; using ${_qlc_best}. "
                      "Run scripts/deps.sh (or scripts/build.sh) to rebuild the dependencies.")
      set(QLC_DEPS_PREFIX "${_qlc_best}")
    endif()
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
