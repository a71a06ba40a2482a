# The driver's sources on the host, against the recording Win32 stand-in, for unit
# tests under AddressSanitizer and UndefinedBehaviorSanitizer.
find_package(GTest REQUIRED)
include(GoogleTest)

# The driver has no RTTI, which the vptr check needs.
set(SANITIZERS -fsanitize=address,undefined -fno-sanitize=vptr -fno-sanitize-recover=all
               -fno-omit-frame-pointer)
add_compile_options(${SANITIZERS})
add_link_options(${SANITIZERS})

add_library(fakewin STATIC tests/fakewin/FakeWindows.cpp tests/fakewin/FakeKeyboard.cpp)
target_include_directories(fakewin PUBLIC tests/fakewin)
target_compile_options(fakewin PRIVATE ${WARNINGS})

add_library(brlcore STATIC ${DRIVER_SOURCES})
target_compile_options(brlcore PRIVATE ${DRIVER_FLAGS})
target_link_libraries(brlcore PUBLIC fakewin)

add_subdirectory(tests/unit)
