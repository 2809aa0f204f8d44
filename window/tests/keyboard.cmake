# Keyboard, focus and mouse tests: keyboard_test starts the real vornelle.exe from beside itself
# and drives it with real input (SendInput) from its own process.
add_executable(keyboard_test tests/keyboard_test.cpp)
target_include_directories(keyboard_test PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_compile_definitions(keyboard_test PRIVATE ${VORNELLE_WINDOW_DEFINITIONS})
target_link_libraries(keyboard_test PRIVATE GTest::gtest_main user32)
set_target_properties(keyboard_test PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
add_dependencies(keyboard_test vornelle)
vornelle_add_gtest(keyboard_test)
if(CMAKE_CROSSCOMPILING)
  set_tests_properties(keyboard_test PROPERTIES TIMEOUT 600)
endif()
