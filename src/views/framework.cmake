# The list-view framework both panes are built on, and the directory trees
# they export.
target_sources(qftp_views PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/SortType.h
  ${CMAKE_CURRENT_LIST_DIR}/FileListItem.h
  ${CMAKE_CURRENT_LIST_DIR}/ListItem.h
  ${CMAKE_CURRENT_LIST_DIR}/FileListSource.h
  ${CMAKE_CURRENT_LIST_DIR}/ListRules.cpp ${CMAKE_CURRENT_LIST_DIR}/ListRules.h
  ${CMAKE_CURRENT_LIST_DIR}/Directory.cpp ${CMAKE_CURRENT_LIST_DIR}/Directory.h
  ${CMAKE_CURRENT_LIST_DIR}/DirContents.cpp ${CMAKE_CURRENT_LIST_DIR}/DirContents.h
  ${CMAKE_CURRENT_LIST_DIR}/DirectoryList.cpp ${CMAKE_CURRENT_LIST_DIR}/DirectoryList.h
  ${CMAKE_CURRENT_LIST_DIR}/FileListModel.cpp ${CMAKE_CURRENT_LIST_DIR}/FileListModel.h
  ${CMAKE_CURRENT_LIST_DIR}/CustomFileListView.cpp ${CMAKE_CURRENT_LIST_DIR}/CustomFileListView.h
  ${CMAKE_CURRENT_LIST_DIR}/VirtualCustomFileListView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VirtualCustomFileListView.h
)
