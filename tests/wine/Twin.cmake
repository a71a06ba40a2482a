# Twin runs: the same seeded sessions against the driver in the host's process
# and against the bridge, everything the host sees compared (twin/, twin-run).
# Both flavours build the twin host; the win64 build runs the pairs: the i686
# driver beside the bridge with the i686 helper (label win32helper: only where
# 32-bit programs run), and the x86-64 driver beside the bridge with the x86-64
# helper.
set(TWIN_DIR ${CMAKE_CURRENT_SOURCE_DIR}/twin)
add_wine_test(twin_host ${TWIN_DIR}/TwinMain.cpp ${TWIN_DIR}/SessionPlan.cpp
              ${TWIN_DIR}/SessionRunner.cpp ${TWIN_DIR}/DeviceLog.cpp ${TWIN_DIR}/Transcript.cpp
              ${TWIN_DIR}/CallRecorder.cpp ${TWIN_DIR}/TranscriptCompare.cpp
              ${TWIN_DIR}/HostEpisode.cpp
              ${CMAKE_SOURCE_DIR}/src/bridge/helper/ImportPatch.cpp)
add_dependencies(twin_host brlvelthost veltsim_nolength)

if(WINE_FLAVOUR STREQUAL win64)
  add_dependencies(twin_host bridge)
  set(TWIN_RUN ${CMAKE_CURRENT_SOURCE_DIR}/twin-run ${WINE_RUN} ${WINE_PREFIX})
  add_test(NAME wine.Twin.i686
           COMMAND ${TWIN_RUN} ${CMAKE_BINARY_DIR}/twin/i686 ${WIN32_BIN} ${CMAKE_BINARY_DIR} 1 300)
  add_test(NAME wine.Twin.x64
           COMMAND ${TWIN_RUN} ${CMAKE_BINARY_DIR}/twin/x64 ${CMAKE_BINARY_DIR}/bin ${CMAKE_BINARY_DIR}
                   100001 100)
  set_tests_properties(wine.Twin.i686 PROPERTIES LABELS "wine;win32helper" TIMEOUT 600)
  set_tests_properties(wine.Twin.x64 PROPERTIES LABELS wine TIMEOUT 600)
endif()
