# The installed physical printers: the spooler on Windows, CUPS on Linux.
pellaro_add_sources(pellaro_gui
  LINUX cups_queue_cups.cpp physical_printers_cups.cpp
  WINDOWS physical_printers_win.cpp default_printer_win.cpp)
