add_executable(diagram_bench ${CMAKE_CURRENT_SOURCE_DIR}/diagram_bench.cpp)
target_link_libraries(diagram_bench PRIVATE kelvoran_surfaces benchmark::benchmark)
