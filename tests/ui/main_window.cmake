# Main window, series-model calculator, about box and the windows' life.
add_executable(tst_mainwindow ${CMAKE_CURRENT_LIST_DIR}/tst_mainwindow.cpp ${CMAKE_CURRENT_LIST_DIR}/tst_modal.h)
target_link_libraries(tst_mainwindow PRIVATE kelvoran_ui Qt6::Test)
add_test(NAME tst_mainwindow COMMAND tst_mainwindow)
set_tests_properties(tst_mainwindow PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 120)

# Start-up time of the real program's code path (not a test: run by hand
# with measure_startup.sh).
add_executable(kelvoran_startup_probe ${CMAKE_CURRENT_LIST_DIR}/startup_probe.cpp)
target_link_libraries(kelvoran_startup_probe PRIVATE kelvoran_ui)
