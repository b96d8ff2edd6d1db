# The program's resources: the Windows resource script goes into Tovrelapp.exe
# (and Windows test programs that need resource 101/102), the Qt resource file
# into the Linux edition's GUI library.
set(PELLARO_WIN_RESOURCES ${CMAKE_CURRENT_SOURCE_DIR}/app.rc CACHE INTERNAL "Windows resource script")
if(NOT WIN32 AND TARGET pellaro_gui)
  target_sources(pellaro_gui PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/resources.qrc)
endif()
