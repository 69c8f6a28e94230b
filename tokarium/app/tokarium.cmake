# tokarium.exe: the window part as a library (the Windows-side tests link it
# too), and the program around it.
add_library(tokarium_ui STATIC
  AboutDlg.cpp
  CertificateCommands.cpp
  DlgChangePIN.cpp
  DlgPassword.cpp
  DlgPIN.cpp
  DlgSettings.cpp
  DlgTokenName.cpp
  DlgUnlockPIN.cpp
  ImportCommand.cpp
  OptionsCommands.cpp
  PinCommands.cpp
  SecretText.cpp
  Settings.cpp
  TextConversion.cpp
  TokariumDlg.cpp
  TokenDetails.cpp
  TokenListing.cpp
  TokenLogin.cpp
  TokenRefresh.cpp)
target_compile_definitions(tokarium_ui PUBLIC UNICODE _UNICODE)
target_include_directories(tokarium_ui PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(tokarium_ui PUBLIC quorin_framework tokarium_token tokarium_log winscard comdlg32)

add_executable(tokarium WIN32 TokariumApp.cpp tokarium.rc)
target_link_libraries(tokarium PRIVATE tokarium_ui)
set_source_files_properties(tokarium.rc PROPERTIES OBJECT_DEPENDS
  "${CMAKE_CURRENT_SOURCE_DIR}/tokarium.manifest;${CMAKE_CURRENT_SOURCE_DIR}/resource.h")
