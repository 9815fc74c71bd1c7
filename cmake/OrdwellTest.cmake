# ordwell_add_test(NAME <name> SOURCES <files...> [LIBS <targets...>] [GUI])
# Builds one GoogleTest executable and registers each of its tests with ctest.
# Tests run with a QCoreApplication (a QApplication with GUI) under the offscreen platform, with
# ORDWELL_SOURCE_DIR naming the source tree (the test mains set it when the caller has not).
include(GoogleTest)

function(ordwell_add_test)
  cmake_parse_arguments(T "GUI" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  if(T_GUI)
    target_link_libraries(${T_NAME} PRIVATE ordwell_gui_test_main)
  else()
    target_link_libraries(${T_NAME} PRIVATE ordwell_test_main)
  endif()
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS})
  gtest_discover_tests(${T_NAME}
    DISCOVERY_TIMEOUT 120
    DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
endfunction()
