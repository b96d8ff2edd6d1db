pellaro_add_sources(pellaro_core PORTABLE base64.cpp)
