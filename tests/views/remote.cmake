qftp_add_test(remote_view_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/RemoteSite.cpp ${CMAKE_CURRENT_LIST_DIR}/RemoteSite.h
    ${CMAKE_CURRENT_LIST_DIR}/RemoteViewFixture.h
    ${CMAKE_CURRENT_LIST_DIR}/RemoteViewTests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RemoteViewInputTests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RemoteViewEndToEndTests.cpp
  LIBS qftp_views qftp_testdialogs)
