qftp_add_test(local_view_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/LocalViewFixture.cpp ${CMAKE_CURRENT_LIST_DIR}/LocalViewFixture.h
    ${CMAKE_CURRENT_LIST_DIR}/LocalListingTests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LocalNavigationTests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LocalEditTests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DropTreeTests.cpp
  LIBS qftp_views qftp_testdialogs)
