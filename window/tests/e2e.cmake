# End-to-end tests: e2e_test starts the real vornelle.exe and vornelle_fault.exe from beside itself
# and drives their window from its own process, as a user's tool would.
add_executable(e2e_test tests/e2e_test.cpp)
target_compile_definitions(e2e_test PRIVATE ${VORNELLE_WINDOW_DEFINITIONS})
target_link_libraries(e2e_test PRIVATE GTest::gtest_main user32 gdi32)
set_target_properties(e2e_test PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
add_dependencies(e2e_test vornelle vornelle_fault)
vornelle_add_gtest(e2e_test)
if(CMAKE_CROSSCOMPILING)
  set_tests_properties(e2e_test PROPERTIES TIMEOUT 600)
endif()
