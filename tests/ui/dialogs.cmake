# Diagram window, parameters dialog and the enhanced-metafile copy.
add_executable(tst_emf ${CMAKE_CURRENT_LIST_DIR}/tst_emf.cpp ${CMAKE_CURRENT_LIST_DIR}/tst_emf_reader.h)
target_link_libraries(tst_emf PRIVATE kelvoran_emf kelvoran_surfaces kelvoran_core Qt6::Gui Qt6::Test)
add_test(NAME tst_emf COMMAND tst_emf)

foreach(_name tst_diagramwindow tst_dialogs)
  add_executable(${_name} ${CMAKE_CURRENT_LIST_DIR}/${_name}.cpp ${CMAKE_CURRENT_LIST_DIR}/tst_modal.h)
  target_link_libraries(${_name} PRIVATE kelvoran_ui Qt6::Test)
  add_test(NAME ${_name} COMMAND ${_name})
endforeach()

set_tests_properties(tst_emf tst_diagramwindow tst_dialogs PROPERTIES
  ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
  TIMEOUT 120)
