# The local pane over this machine's file system, and the drop grouping.
target_sources(qftp_views PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ShellItem.cpp ${CMAKE_CURRENT_LIST_DIR}/ShellItem.h
  ${CMAKE_CURRENT_LIST_DIR}/LocalVolumes.cpp ${CMAKE_CURRENT_LIST_DIR}/LocalVolumes.h
  ${CMAKE_CURRENT_LIST_DIR}/LocalFolder.cpp ${CMAKE_CURRENT_LIST_DIR}/LocalFolder.h
  ${CMAKE_CURRENT_LIST_DIR}/DropTree.cpp ${CMAKE_CURRENT_LIST_DIR}/DropTree.h
  ${CMAKE_CURRENT_LIST_DIR}/FileListView.cpp ${CMAKE_CURRENT_LIST_DIR}/FileListView.h
  ${CMAKE_CURRENT_LIST_DIR}/FileListViewItems.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileListViewEdits.cpp
)
