# Main window, series-model calculator, about box and start-up.
foreach(_test IN ITEMS tst_mainwindow tst_sidewindows)
  add_executable(${_test} ${CMAKE_CURRENT_LIST_DIR}/${_test}.cpp ${CMAKE_CURRENT_LIST_DIR}/tst_mainwindow_watchdog.h)
  target_link_libraries(${_test} PRIVATE kelvoran_ui Qt6::Test)
  add_test(NAME ${_test} COMMAND ${_test})
  set_tests_properties(${_test} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 120)
endforeach()

# Start-up time of the real program's code path (not a test: run by hand,
# see startup_probe.cpp).
add_executable(kelvoran_startup_probe ${CMAKE_CURRENT_LIST_DIR}/startup_probe.cpp)
target_link_libraries(kelvoran_startup_probe PRIVATE kelvoran_ui)
