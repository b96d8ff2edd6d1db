pellaro_add_sources(pellaro_core PORTABLE envelope.cpp)
