# Ten thousand random user actions in one process: no crash, only the
# expected boxes, bounded memory growth.
add_executable(tst_soak ${CMAKE_CURRENT_LIST_DIR}/tst_soak.cpp)
target_link_libraries(tst_soak PRIVATE kelvoran_ui Qt6::Test)
target_include_directories(tst_soak PRIVATE ${CMAKE_CURRENT_LIST_DIR})
add_test(NAME tst_soak COMMAND tst_soak)
set_tests_properties(tst_soak PROPERTIES
  ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
  TIMEOUT 600)
