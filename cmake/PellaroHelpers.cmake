# pellaro_library(<name>
#   [PORTABLE a.cpp ...] [LINUX b.cpp ...] [WINDOWS c.cpp ...]
#   [DEPS lib ...] [LINUX_LIBS lib ...] [WINDOWS_LIBS lib ...])
# One static library of one source folder: the portable files always, the
# platform files for their edition only, linked to the folders below it.
function(pellaro_library name)
  cmake_parse_arguments(ARG "" "" "PORTABLE;LINUX;WINDOWS;DEPS;LINUX_LIBS;WINDOWS_LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_PORTABLE})
  if(WIN32)
    target_sources(${name} PRIVATE ${ARG_WINDOWS})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS} ${ARG_WINDOWS_LIBS})
  else()
    target_sources(${name} PRIVATE ${ARG_LINUX})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS} ${ARG_LINUX_LIBS})
  endif()
endfunction()
