# Browser-runtime gate: decisions and texts are portable, the effects per edition.
pellaro_add_sources(pellaro_core PORTABLE runtime_gate.cpp)
pellaro_add_sources(pellaro_gui LINUX runtime_gate_qt.cpp WINDOWS runtime_gate_win.cpp)
