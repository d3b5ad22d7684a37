# The status log, the session display, the busy animation, the About box,
# the help window and the program's images.
target_sources(qftp_app PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/StatusLog.cpp ${CMAKE_CURRENT_LIST_DIR}/StatusLog.h
  ${CMAKE_CURRENT_LIST_DIR}/SessionDisplay.cpp ${CMAKE_CURRENT_LIST_DIR}/SessionDisplay.h
  ${CMAKE_CURRENT_LIST_DIR}/BusyAnimation.cpp ${CMAKE_CURRENT_LIST_DIR}/BusyAnimation.h
  ${CMAKE_CURRENT_LIST_DIR}/frmAbout.cpp ${CMAKE_CURRENT_LIST_DIR}/frmAbout.h
  ${CMAKE_CURRENT_LIST_DIR}/HelpWindow.cpp ${CMAKE_CURRENT_LIST_DIR}/HelpWindow.h
  ${CMAKE_CURRENT_LIST_DIR}/ActionIcons.cpp ${CMAKE_CURRENT_LIST_DIR}/ActionIcons.h
  ${PROJECT_SOURCE_DIR}/resources/help/qftp_help.qrc
  ${PROJECT_SOURCE_DIR}/resources/icons/qftp_icons.qrc
)
