# Our own code is compiled with the compiler's common warnings on, in every
# preset and with every toolchain; PELLARO_WERROR (scripts/test.sh sets it, so
# CI does) makes them errors. Third-party code built in this tree is added with
# pellaro_without_warnings(), which keeps it out.
option(PELLARO_WERROR "Treat compiler warnings in our own code as errors" OFF)
add_compile_options("$<$<COMPILE_LANGUAGE:C,CXX>:-Wall;-Wextra>"
                    "$<$<AND:$<COMPILE_LANGUAGE:C,CXX>,$<BOOL:${PELLARO_WERROR}>>:-Werror>")

# pellaro_without_warnings(<source dir> <binary dir> [add_subdirectory args...])
macro(pellaro_without_warnings source binary)
  get_directory_property(_pellaro_warning_options COMPILE_OPTIONS)
  set_directory_properties(PROPERTIES COMPILE_OPTIONS "")
  add_subdirectory(${source} ${binary} ${ARGN})
  set_directory_properties(PROPERTIES COMPILE_OPTIONS "${_pellaro_warning_options}")
endmacro()
