# Native build of the portable image layer and its tests under the sanitizers.
# The image libraries are Debian's development packages; the sanitizer flags
# come from the caller (scripts/test.sh passes them in CMAKE_CXX_FLAGS).

find_package(PNG REQUIRED)
find_package(JPEG REQUIRED)
find_package(TIFF REQUIRED)
find_package(GIF REQUIRED)
find_package(ZLIB REQUIRED)

# The same target names as the Windows dependency cache.
foreach(lib png jpeg tiff gif zlib)
  add_library(qlc_native_${lib} INTERFACE)
  add_library(Qlc::${lib} ALIAS qlc_native_${lib})
endforeach()
target_link_libraries(qlc_native_png  INTERFACE PNG::PNG)
target_link_libraries(qlc_native_jpeg INTERFACE JPEG::JPEG)
target_link_libraries(qlc_native_tiff INTERFACE TIFF::TIFF)
target_link_libraries(qlc_native_gif  INTERFACE GIF::GIF)
target_link_libraries(qlc_native_zlib INTERFACE ZLIB::ZLIB)

if(QLC_TESTS)
  set(QLC_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(${QLC_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  if(NOT TARGET GTest::gtest)
    add_library(GTest::gtest ALIAS gtest)
    add_library(GTest::gtest_main ALIAS gtest_main)
  endif()
endif()

add_subdirectory(${CMAKE_SOURCE_DIR}/imaging ${CMAKE_BINARY_DIR}/imaging)
if(QLC_TESTS)
  add_subdirectory(${CMAKE_SOURCE_DIR}/tests/imaging ${CMAKE_BINARY_DIR}/tests/imaging)
endif()
