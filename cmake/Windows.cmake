# The products, the simulated device library, the demo host and the Wine tests,
# for i686 (preset win32, the product) or x86-64 (preset win64). The driver, the
# simulated device library and every test program side by side, as a host would
# install them.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(STATIC_RUNTIME -static -static-libgcc -static-libstdc++)
set(SYSTEM_LIBRARIES user32 advapi32)
# The exports every brlvelt.dll has (the driver, the bridge, the tests' stand-ins)
# and the version resource of the two products.
set(BRLVELT_DEF ${CMAKE_SOURCE_DIR}/src/shared/dll/brlvelt.def)
set(BRLVELT_RC ${CMAKE_SOURCE_DIR}/src/shared/dll/brlvelt.rc)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(WINE_FLAVOUR win32)
else()
  set(WINE_FLAVOUR win64)
endif()

set(WINE_RUN ${CMAKE_SOURCE_DIR}/tests/wine/wine-run)
set(WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE_RUN} ${WINE_FLAVOUR} ${WINE_PREFIX})

add_subdirectory(src)
add_subdirectory(tools)
add_subdirectory(tests/wine)
