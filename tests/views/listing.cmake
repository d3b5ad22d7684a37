qftp_add_test(ftp_listing_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/FtpListingTests.cpp LIBS qftp_views)
