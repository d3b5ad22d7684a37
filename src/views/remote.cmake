# The remote directory pane.
target_sources(qftp_views PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/FtpFileListView.cpp ${CMAKE_CURRENT_LIST_DIR}/FtpFileListView.h
  ${CMAKE_CURRENT_LIST_DIR}/FtpFileListViewChange.cpp
)
