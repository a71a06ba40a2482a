# The driver DLL, the simulated device library, the demo host and the Wine tests,
# for i686 (preset win32, the product) or x86-64 (preset win64). The driver, the
# simulated device library and every test program side by side, as a host would
# install them.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(STATIC_RUNTIME -static -static-libgcc -static-libstdc++)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(WINE_FLAVOUR win32)
else()
  set(WINE_FLAVOUR win64)
endif()

add_library(brlvelt SHARED ${DRIVER_SOURCES} src/driver/Exports.cpp src/driver/brlvelt.def
                           src/driver/brlvelt.rc)
set_target_properties(brlvelt PROPERTIES PREFIX "" OUTPUT_NAME brlvelt)
# Unused functions are dropped; not -fdata-sections, with which mingw's GCC stores
# zero-initialised variables (the layout cache, the held keys) in the file as .data
# rather than in .bss.
target_compile_options(brlvelt PRIVATE ${DRIVER_FLAGS} -ffunction-sections)
target_link_options(brlvelt PRIVATE ${STATIC_RUNTIME} -Wl,--gc-sections -s)
target_link_libraries(brlvelt PRIVATE user32 advapi32)

set(WINE_RUN ${CMAKE_SOURCE_DIR}/tests/wine/wine-run)
set(WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE_RUN} ${WINE_FLAVOUR} ${WINE_PREFIX})

add_subdirectory(src/channel)
add_subdirectory(src/log)
add_subdirectory(src/loader)
add_subdirectory(src/helper)
add_subdirectory(src/selftest)
if(WINE_FLAVOUR STREQUAL win64)
  add_subdirectory(src/bridge)
endif()
add_subdirectory(tools)
add_subdirectory(tests/wine)
