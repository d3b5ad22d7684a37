qftp_add_test(status_log_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/StatusLogTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SessionDisplayTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/BusyAnimationTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/AboutAndHelpTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/AttemptFailureTest.cpp
  LIBS qftp_app qftp_testdialogs
)
