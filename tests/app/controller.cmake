qftp_add_test(controller_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/ControllerTests.cpp
  LIBS qftp_app qftp_testdialogs)
