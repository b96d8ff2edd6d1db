# Which printers count as physical, their order, and the print-result messages.
pellaro_add_sources(pellaro_core
  PORTABLE physical_printers.cpp print_result.cpp print_request.cpp printer_dialog_template.cpp)
