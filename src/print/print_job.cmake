# A page's print request: picker, silent job, one print result.
pellaro_add_sources(pellaro_gui
  LINUX print_job_qt.cpp)
pellaro_add_sources(pellaro_core PORTABLE print_source.cpp)
