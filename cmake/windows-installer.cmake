# The Windows installer, made by CPack with makensis: Tambril in its own
# folder under "Programme", a start-menu entry that starts the program in
# that folder (where it finds its sounds), the .tmb file type opened by the
# program, and an uninstaller that takes all of it away again.
list(APPEND CPACK_GENERATOR NSIS)
# The lines below hold quotes; CPack passes them on as they are.
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_NSIS_EXECUTABLE ${CMAKE_CURRENT_LIST_DIR}/makensis-amd64)
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_PACKAGE_INSTALL_DIRECTORY Tambril)
set(CPACK_NSIS_DISPLAY_NAME Tambril)
set(CPACK_NSIS_PACKAGE_NAME Tambril)
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
set(CPACK_PACKAGE_EXECUTABLES tambril Tambril)
set(CPACK_NSIS_INSTALLED_ICON_NAME tambril.exe)
set(CPACK_NSIS_MUI_FINISHPAGE_RUN tambril.exe)
set(CPACK_NSIS_MODIFY_PATH OFF)
# NSIS reads these lines as they stand ($INSTDIR is NSIS's own).
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS [[
  WriteRegStr HKCR ".tmb" "" "Tambril.Datei"
  WriteRegStr HKCR "Tambril.Datei" "" "Codierte Datei"
  WriteRegStr HKCR "Tambril.Datei\DefaultIcon" "" "$INSTDIR\tambril.exe,-2"
  WriteRegStr HKCR "Tambril.Datei\shell\open\command" "" '"$INSTDIR\tambril.exe" "%1"'
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
]])
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS [[
  DeleteRegKey HKCR ".tmb"
  DeleteRegKey HKCR "Tambril.Datei"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
]])
