# Remote listing entries and the pure steps that build and describe them.
target_sources(qftp_views PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/FileAttributes.h
  ${CMAKE_CURRENT_LIST_DIR}/FtpItem.cpp ${CMAKE_CURRENT_LIST_DIR}/FtpItem.h
  ${CMAKE_CURRENT_LIST_DIR}/FtpListing.cpp ${CMAKE_CURRENT_LIST_DIR}/FtpListing.h
)
