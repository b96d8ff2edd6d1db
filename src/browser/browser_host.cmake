pellaro_add_sources(pellaro_core PORTABLE host_status.cpp)
pellaro_add_sources(pellaro_gui
  PORTABLE window_hosts.cpp
  LINUX webview_host_qt.cpp)
