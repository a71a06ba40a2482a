# The bridge as 64-bit hosts install it: the bridge brlvelt.dll and the test
# host in one folder, brlvelthost\ beside them. Folders:
#   bridge64      the x86-64 helper, driver and simulated display (runs everywhere);
#   bridge32      the i686 ones from the win32 build, copied in when the test runs
#                 (label win32helper: only where 32-bit programs run);
#   bridge-fake   a helper that breaks the protocol;
#   bridge-missing no helper at all.
add_wine_test(bridge_test BridgeTest.cpp)
target_sources(bridge_test PRIVATE ${CMAKE_SOURCE_DIR}/src/bridge/helper/ImportPatch.cpp
                                   ${CMAKE_SOURCE_DIR}/src/bridge/Call.cpp)
add_executable(fake_helper WIN32 FakeHelper.cpp)
target_link_libraries(fake_helper PRIVATE channel)
target_compile_options(fake_helper PRIVATE ${WARNINGS})
target_link_options(fake_helper PRIVATE ${STATIC_RUNTIME})
# Copied on every build, so that a changed bridge or helper reaches the folders
# even when the test program itself did not change.
set(HELPER64 ${CMAKE_BINARY_DIR}/bridge64/brlvelthost)
set(FAKE ${CMAKE_BINARY_DIR}/bridge-fake/brlvelthost)
set(BRIDGE_FOLDERS bridge64 bridge32 bridge-fake bridge-missing)
set(LAYOUT_COMMANDS COMMAND ${CMAKE_COMMAND} -E make_directory ${HELPER64} ${FAKE})
foreach(folder ${BRIDGE_FOLDERS})
  list(APPEND LAYOUT_COMMANDS
       COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/${folder}
       COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:bridge> $<TARGET_FILE:bridge_test>
               ${CMAKE_BINARY_DIR}/${folder})
endforeach()
add_custom_target(bridge_layout ALL ${LAYOUT_COMMANDS}
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:brlvelthost> $<TARGET_FILE:brlvelt>
          $<TARGET_FILE:veltsim> ${HELPER64}
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:fake_helper> ${FAKE}/brlvelthost.exe
  VERBATIM)
add_dependencies(bridge_layout bridge bridge_test brlvelthost brlvelt veltsim fake_helper)

set(WIN32_BIN ${CMAKE_SOURCE_DIR}/build/win32/bin CACHE PATH "The win32 build's programs")
set(BRIDGE32_LAYOUT ${CMAKE_CURRENT_SOURCE_DIR}/bridge32-layout ${WIN32_BIN}
                    ${CMAKE_BINARY_DIR}/bridge32/brlvelthost)
foreach(mode session order crash reusedid outages)
  add_test(NAME wine.Bridge.x64.${mode}
           COMMAND ${WITH_XVFB} ${CMAKE_CROSSCOMPILING_EMULATOR}
                   ${CMAKE_BINARY_DIR}/bridge64/bridge_test.exe ${mode}
           WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bridge64)
  add_test(NAME wine.Bridge.i686.${mode}
           COMMAND ${BRIDGE32_LAYOUT} ${WITH_XVFB} ${CMAKE_CROSSCOMPILING_EMULATOR}
                   ${CMAKE_BINARY_DIR}/bridge32/bridge_test.exe ${mode}
           WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bridge32)
  set_tests_properties(wine.Bridge.x64.${mode} PROPERTIES LABELS wine TIMEOUT 120
                                                     SKIP_RETURN_CODE 77)
  set_tests_properties(wine.Bridge.i686.${mode} PROPERTIES LABELS "wine;win32helper" TIMEOUT 120
                                                      SKIP_RETURN_CODE 77)
endforeach()
foreach(case faulty:bridge-fake deadline:bridge-fake missing:bridge-missing)
  string(REPLACE ":" ";" case ${case})
  list(GET case 0 mode)
  list(GET case 1 folder)
  add_test(NAME wine.Bridge.${mode}
           COMMAND ${WITH_XVFB} ${CMAKE_CROSSCOMPILING_EMULATOR}
                   ${CMAKE_BINARY_DIR}/${folder}/bridge_test.exe ${mode}
           WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/${folder})
  set_tests_properties(wine.Bridge.${mode} PROPERTIES LABELS wine TIMEOUT 120)
endforeach()

# The bridge as a file: an x86-64 DLL with the driver's eight exports and ordinals.
foreach(check format64 exports)
  add_test(NAME static.x64Bridge.${check}
           COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/check-dll ${check} $<TARGET_FILE:bridge>)
  set_tests_properties(static.x64Bridge.${check} PROPERTIES LABELS static)
endforeach()
