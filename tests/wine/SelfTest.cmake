# brlvelt-selftest.exe as a person runs it, on Wine's layout: beside the driver
# and the simulated display in each flavour (the i686 one labelled i686: only
# where 32-bit programs run), and in the win64 build through the bridge with the
# x86-64 helper and with the i686 one (label win32helper). A stand-in driver
# that types one character too many must make it fail, naming that character,
# and must be called from a thread that owns no window;
# when a window of the stand-in's takes the focus first, that window must get
# none of it and the self-test must stop at once, saying why; when it types its
# letter as Unicode input, the self-test must say so. Where the user's
# setting has Shift turn Caps Lock off, it must press Shift: Wine ignores that
# setting, so Caps Lock stays on and the advice at the end must say Shift.
# Wine does not pass Caps Lock to the driver's thread, so the self-test carries
# it there: every line must say so and none may claim the driver followed it,
# while the text typed with Caps Lock on is still compared (the exit code, and
# the stand-in's letter arriving as a capital). A ";" in a regular expression
# is written "\\;": unescaped it splits the expression into a list, any one of
# which lets the test pass.
set(SELFTEST_RUN ${WITH_XVFB} ${CMAKE_CROSSCOMPILING_EMULATOR})
set(CLAIMS_CAPS_LOCK_SEEN "the driver's thread saw Caps Lock as set")
if(WINE_FLAVOUR STREQUAL win32)
  add_test(NAME wine.SelfTest.i686 COMMAND ${SELFTEST_RUN} $<TARGET_FILE:selftest>)
  set_tests_properties(wine.SelfTest.i686 PROPERTIES LABELS "wine;i686" TIMEOUT 120
                       FAIL_REGULAR_EXPRESSION "${CLAIMS_CAPS_LOCK_SEEN}")
  return()
endif()

add_library(wrong_driver SHARED WrongDriver.cpp ${BRLVELT_DEF})
set(WRONG_DIR ${CMAKE_BINARY_DIR}/bin/wrongdriver)
set_target_properties(wrong_driver PROPERTIES PREFIX "" OUTPUT_NAME brlvelt
                      RUNTIME_OUTPUT_DIRECTORY ${WRONG_DIR} ARCHIVE_OUTPUT_DIRECTORY ${WRONG_DIR})
target_include_directories(wrong_driver PRIVATE ${CMAKE_SOURCE_DIR}/include)
target_compile_options(wrong_driver PRIVATE ${WARNINGS})
target_link_options(wrong_driver PRIVATE ${STATIC_RUNTIME})
target_link_libraries(wrong_driver PRIVATE loader user32)

# Copied on every build, beside each bridge and beside the stand-in driver.
add_custom_target(selftest_layout ALL
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/bridge64 ${CMAKE_BINARY_DIR}/bridge32
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:selftest> ${CMAKE_BINARY_DIR}/bridge64
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:selftest> ${CMAKE_BINARY_DIR}/bridge32
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:selftest> $<TARGET_FILE:veltsim>
          ${WRONG_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:brlvelt> ${WRONG_DIR}/brlvelt-real.dll
  VERBATIM)
add_dependencies(selftest_layout selftest wrong_driver bridge_layout)

add_test(NAME wine.SelfTest.x64 COMMAND ${SELFTEST_RUN} $<TARGET_FILE:selftest>)
add_test(NAME wine.SelfTest.bridge.x64
         COMMAND ${SELFTEST_RUN} ${CMAKE_BINARY_DIR}/bridge64/brlvelt-selftest.exe --bridge)
add_test(NAME wine.SelfTest.bridge.i686
         COMMAND ${BRIDGE32_LAYOUT} ${SELFTEST_RUN} ${CMAKE_BINARY_DIR}/bridge32/brlvelt-selftest.exe
                 --bridge)
add_test(NAME wine.SelfTest.wrongDriverIsCaught COMMAND ${SELFTEST_RUN} ${WRONG_DIR}/brlvelt-selftest.exe)
set_tests_properties(wine.SelfTest.x64 wine.SelfTest.bridge.x64 wine.SelfTest.wrongDriverIsCaught
                     PROPERTIES LABELS wine TIMEOUT 120)
set_tests_properties(wine.SelfTest.bridge.i686 PROPERTIES LABELS "wine;win32helper" TIMEOUT 120)
set_tests_properties(wine.SelfTest.x64 wine.SelfTest.bridge.x64 wine.SelfTest.bridge.i686
                     PROPERTIES FAIL_REGULAR_EXPRESSION "${CLAIMS_CAPS_LOCK_SEEN}")
set_tests_properties(wine.SelfTest.wrongDriverIsCaught PROPERTIES
  FAIL_REGULAR_EXPRESSION "called on a thread that owns a window;${CLAIMS_CAPS_LOCK_SEEN}"
  PASS_REGULAR_EXPRESSION "Caps Lock off .* 1 wrong of [0-9]+: \\(nothing\\) -> U\\+0078\\;[^\n]*\n[^\n]*Caps Lock on [^\n]* 1 wrong of [0-9]+: \\(nothing\\) -> U\\+0058\\;[^\n]*\\; Caps Lock set on the driver's thread by the self-test \\(Wine\\)[^\n]*\n[^~]*Result: not all")
add_test(NAME wine.SelfTest.focusThiefGetsNothing
         COMMAND ${SELFTEST_RUN} ${WRONG_DIR}/brlvelt-selftest.exe)
set_tests_properties(wine.SelfTest.focusThiefGetsNothing PROPERTIES
  LABELS wine TIMEOUT 120 ENVIRONMENT BRLVELT_STANDIN=thief
  PASS_REGULAR_EXPRESSION "the other window got 0 keys\n[^~]*Caps Lock off .* stopped: another window took the focus\n")
add_test(NAME wine.SelfTest.unicodeLetterIsCaught
         COMMAND ${SELFTEST_RUN} ${WRONG_DIR}/brlvelt-selftest.exe)
set_tests_properties(wine.SelfTest.unicodeLetterIsCaught PROPERTIES
  LABELS wine TIMEOUT 120 ENVIRONMENT BRLVELT_STANDIN=unicode
  PASS_REGULAR_EXPRESSION "Caps Lock off [^\n]*as Unicode input, not by key: U\\+0078[^\n]*\n[^~]*Result: not all")
add_test(NAME wine.SelfTest.shiftTurnsCapsLockOff
         COMMAND sh -c "\"$1\" win64 \"$2\" reg add 'HKCU\\Keyboard Layout' /v Attributes /t REG_DWORD /d 0x10000 /f >/dev/null && \"$3\" \"$1\" win64 \"$2\" \"$4\""
                 sh ${WINE_RUN} ${CMAKE_BINARY_DIR}/wineprefix-shiftlock ${WITH_XVFB} $<TARGET_FILE:selftest>)
set_tests_properties(wine.SelfTest.shiftTurnsCapsLockOff PROPERTIES LABELS wine TIMEOUT 180
  PASS_REGULAR_EXPRESSION "Shift turns Caps Lock off: yes[^~]*Caps Lock \\(press Shift to turn it off\\)")
# As on Windows 7 (in a prefix of its own, since the version is set per program
# file): the driver only looks keys up, and letters, digits and Space still come
# by their keys.
add_test(NAME wine.SelfTest.windows7
         COMMAND ${WINDOWS_VERSION} win7 ${WINE_RUN} win64 ${CMAKE_BINARY_DIR}/wineprefix-windows7
                 $<TARGET_FILE:selftest>)
set_tests_properties(wine.SelfTest.windows7 PROPERTIES LABELS wine TIMEOUT 180
  PASS_REGULAR_EXPRESSION "Caps Lock off [^\n]*all [0-9]+ right[^~]*before 10 1607: the driver only looks keys up[^~]*Result: everything typed arrived right")
