add_executable(ui_bench ${CMAKE_CURRENT_SOURCE_DIR}/ui_bench.cpp)
target_link_libraries(ui_bench PRIVATE kelvoran_ui benchmark::benchmark)
