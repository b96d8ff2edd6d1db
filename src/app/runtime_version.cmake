# The browser runtime's version: texts are portable, the lookup is Windows only.
pellaro_add_sources(pellaro_core PORTABLE runtime_version.cpp)
pellaro_add_sources(pellaro_sys WINDOWS runtime_version_win.cpp ../shell/webview2_loader_win.cpp ../shell/webview2_options_win.cpp)
