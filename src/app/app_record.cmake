pellaro_add_sources(pellaro_core
  PORTABLE build_constants.cpp app_record.cpp)
