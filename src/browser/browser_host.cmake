pellaro_add_sources(pellaro_core PORTABLE host_status.cpp browser_services.cpp)
pellaro_add_sources(pellaro_gui
  PORTABLE window_hosts.cpp
  LINUX webview_host_qt.cpp browser_windows_qt.cpp)
