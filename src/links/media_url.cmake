pellaro_add_sources(pellaro_core PORTABLE media_url.cpp)
