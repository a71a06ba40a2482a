# The i686 calling-convention proofs: every export called as cdecl, chords on the
# stdcall callback, and a negative control. A driver built to call the callback as
# cdecl must break the convention check (or crash) after its session opened; a
# run that fails in any other way, or never starts, does not pass.
foreach(mode exports chords)
  add_test(NAME wine.CallingConvention.${mode}
           COMMAND ${WITH_XVFB} ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:input_e2e_test> ${mode}
           WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
endforeach()

get_target_property(core_sources drivercore SOURCES)
get_target_property(core_dir drivercore SOURCE_DIR)
list(TRANSFORM core_sources PREPEND ${core_dir}/)
add_library(brlvelt_mismatch SHARED ${core_sources} ${core_dir}/Exports.cpp ${BRLVELT_DEF})
set_target_properties(brlvelt_mismatch PROPERTIES PREFIX "" OUTPUT_NAME brlvelt
                      RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin/mismatch
                      ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin/mismatch)
target_compile_definitions(brlvelt_mismatch PRIVATE BRL_CALLBACK=)
target_compile_options(brlvelt_mismatch PRIVATE ${DRIVER_FLAGS})
target_link_options(brlvelt_mismatch PRIVATE ${STATIC_RUNTIME} -s)
target_link_libraries(brlvelt_mismatch PRIVATE log facts)
add_custom_command(TARGET input_e2e_test POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:input_e2e_test>
          $<TARGET_FILE:veltsim> ${CMAKE_BINARY_DIR}/bin/mismatch)
add_dependencies(input_e2e_test brlvelt_mismatch)
add_test(NAME wine.CallingConvention.mismatchedCallbackIsCaught
         COMMAND ${WITH_XVFB} ${CMAKE_CROSSCOMPILING_EMULATOR}
                 ${CMAKE_BINARY_DIR}/bin/mismatch/input_e2e_test.exe chords
         WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin/mismatch)
set_tests_properties(wine.CallingConvention.mismatchedCallbackIsCaught PROPERTIES
  PASS_REGULAR_EXPRESSION "session open[^~]*(calling convention broken|crashed: exception)")
set_tests_properties(wine.CallingConvention.exports wine.CallingConvention.chords
                     wine.CallingConvention.mismatchedCallbackIsCaught
                     PROPERTIES LABELS "wine;callconv")
