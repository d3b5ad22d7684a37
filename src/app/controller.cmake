target_sources(qftp_app PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ActionList.cpp ${CMAKE_CURRENT_LIST_DIR}/ActionList.h
  ${CMAKE_CURRENT_LIST_DIR}/AttemptFailure.cpp ${CMAKE_CURRENT_LIST_DIR}/AttemptFailure.h
  ${CMAKE_CURRENT_LIST_DIR}/SessionTypes.h
  ${CMAKE_CURRENT_LIST_DIR}/frmMain.h
  ${CMAKE_CURRENT_LIST_DIR}/frmMainLayout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmMainSession.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmMainFtpEvents.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmMainCommands.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProgramStart.cpp ${CMAKE_CURRENT_LIST_DIR}/ProgramStart.h
  ${PROJECT_SOURCE_DIR}/src/transfer/TransferHooks.h
)
