# The driver's sources on the host, against the recording Win32 stand-in: unit
# tests under AddressSanitizer and UndefinedBehaviorSanitizer (preset native),
# benchmarks (preset bench) and fuzz targets (preset fuzz, clang).
option(BRL_SANITIZE "Build with AddressSanitizer and UBSan" ON)
option(BRL_BENCHMARKS "Build the benchmarks instead of the unit tests" OFF)
option(BRL_FUZZ "Build the libFuzzer targets instead of the unit tests" OFF)

if(BRL_SANITIZE)
  # The driver has no RTTI, which the vptr check needs.
  set(SANITIZERS -fsanitize=address,undefined -fno-sanitize=vptr -fno-sanitize-recover=all
                 -fno-omit-frame-pointer)
  add_compile_options(${SANITIZERS})
  add_link_options(${SANITIZERS})
endif()
if(BRL_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize=vptr
                      -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

# The stand-in builds keyboard layouts of the XKB database with libxkbcommon.
find_package(PkgConfig REQUIRED)
pkg_check_modules(XKBCOMMON REQUIRED IMPORTED_TARGET xkbcommon)
add_library(fakewin STATIC tools/fakewin/FakeWindows.cpp tools/fakewin/FakeKeyboard.cpp
                           tools/fakewin/Layout.cpp tools/fakewin/WindowsLayouts.cpp
                           tools/fakewin/XkbLayoutLoader.cpp tools/fakewin/XkbLayoutBuilder.cpp
                           tools/fakewin/FakePipe.cpp tools/fakewin/FakeSettings.cpp
                           tools/fakewin/FakeFiles.cpp)
target_include_directories(fakewin PUBLIC tools/fakewin)
target_compile_options(fakewin PRIVATE ${WARNINGS})
target_link_libraries(fakewin PRIVATE PkgConfig::XKBCOMMON)

set(SYSTEM_LIBRARIES fakewin)
add_subdirectory(src)

if(BRL_BENCHMARKS)
  add_subdirectory(tools/bench)
elseif(BRL_FUZZ)
  add_subdirectory(tests/fuzz)
else()
  find_package(GTest REQUIRED)
  include(GoogleTest)
  add_subdirectory(tests/unit)
endif()
