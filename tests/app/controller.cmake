qftp_add_test(controller_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ControllerTests.cpp ${CMAKE_CURRENT_LIST_DIR}/StartupTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/ControllerEndToEndTest.cpp ${CMAKE_CURRENT_LIST_DIR}/MainWindowLayoutTest.cpp
  LIBS qftp_app qftp_testdialogs)
