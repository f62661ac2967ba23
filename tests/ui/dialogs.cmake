# Diagram window, parameters dialog and the enhanced-metafile copy.
set(_dialogs_dir ${CMAKE_CURRENT_LIST_DIR})

add_executable(tst_emf ${_dialogs_dir}/tst_emf.cpp ${_dialogs_dir}/tst_emf_reader.h)
target_link_libraries(tst_emf PRIVATE kelvoran_emf kelvoran_core Qt6::Gui Qt6::Test)
target_include_directories(tst_emf PRIVATE ${_dialogs_dir})
add_test(NAME tst_emf COMMAND tst_emf)

foreach(_name tst_diagramwindow tst_dialogs)
  add_executable(${_name} ${_dialogs_dir}/${_name}.cpp ${_dialogs_dir}/tst_dialogs_support.h)
  target_link_libraries(${_name} PRIVATE kelvoran_ui Qt6::Test)
  target_include_directories(${_name} PRIVATE ${_dialogs_dir})
  add_test(NAME ${_name} COMMAND ${_name})
endforeach()

set_tests_properties(tst_emf tst_diagramwindow tst_dialogs PROPERTIES
  ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
  TIMEOUT 120)
