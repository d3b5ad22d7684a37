qftp_add_test(view_framework_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/TestFileListView.cpp ${CMAKE_CURRENT_LIST_DIR}/TestFileListView.h
    ${CMAKE_CURRENT_LIST_DIR}/DirectoryTreeTests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ListRulesTests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FileListModelTests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FileListViewTests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FileListInputTests.cpp
  LIBS qftp_views)
