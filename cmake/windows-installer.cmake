# The Windows installer, made by CPack with makensis from the project's own
# German script (cmake/NSIS.template.in): Tambril in its own folder under
# "Programme", a start-menu entry and an optional desktop shortcut that start
# the program in that folder (where it finds its sounds), the .tmb file type
# opened by the program, "Mit Tambril öffnen" on Explorer's context menu for
# every file, and an uninstaller that takes all of it away again.
list(APPEND CPACK_GENERATOR NSIS)
list(APPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR})
set(CPACK_TAMBRIL_ICON ${TAMBRIL_ICON_DIR}/tambril.ico)
set(CPACK_TAMBRIL_SIDE_PICTURE ${TAMBRIL_ICON_DIR}/installer.bmp)
# The lines below hold quotes; CPack passes them on as they are.
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_NSIS_EXECUTABLE ${CMAKE_CURRENT_LIST_DIR}/makensis-amd64)
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_PACKAGE_INSTALL_DIRECTORY Tambril)
set(CPACK_NSIS_DISPLAY_NAME Tambril)
set(CPACK_NSIS_PACKAGE_NAME Tambril)
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
# NSIS reads these lines as they stand ($INSTDIR is NSIS's own).
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS [[
  WriteRegStr HKCR ".tmb" "" "Tambril.Datei"
  WriteRegStr HKCR "Tambril.Datei" "" "Codierte Datei"
  WriteRegStr HKCR "Tambril.Datei\DefaultIcon" "" "$INSTDIR\tambril.exe,-2"
  WriteRegStr HKCR "Tambril.Datei\shell\open\command" "" '"$INSTDIR\tambril.exe" "%1"'
  WriteRegStr HKCR "*\shell\Tambril" "" "Mit Tambril öffnen"
  WriteRegStr HKCR "*\shell\Tambril" "Icon" "$INSTDIR\tambril.exe"
  WriteRegStr HKCR "*\shell\Tambril\command" "" '"$INSTDIR\tambril.exe" "%1"'
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
]])
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS [[
  DeleteRegKey HKCR ".tmb"
  DeleteRegKey HKCR "Tambril.Datei"
  DeleteRegKey HKCR "*\shell\Tambril"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
]])
