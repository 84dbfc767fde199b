# Writes the manual page of `mailvane` from the program's own help texts: the overview of
# `mailvane --help` and one section per command from `mailvane COMMAND --help`, set into
# TEMPLATE. Run as a script at build time:
#   cmake -DPROGRAM=<mailvane> -DVERSION=<x.y.z> -DTEMPLATE=<mailvane.1.in>
#         -DOUTPUT=<mailvane.1> [-DLIBDIR=<lib/mailvane>] [-DGZIP=<gzip>] -P ManPage.cmake
# With GZIP, OUTPUT.gz is written as well (maximum compression, no name or time stamp, so
# the same sources give the same bytes).
cmake_minimum_required(VERSION 3.25)

foreach(var PROGRAM VERSION TEMPLATE OUTPUT)
  if(NOT ${var})
    message(FATAL_ERROR "ManPage.cmake: ${var} is not set")
  endif()
endforeach()

function(help_text out)
  execute_process(COMMAND ${PROGRAM} ${ARGN} --help
                  OUTPUT_VARIABLE text ERROR_VARIABLE error RESULT_VARIABLE status)
  if(NOT status EQUAL 0 OR text STREQUAL "")
    message(FATAL_ERROR "mailvane ${ARGN} --help failed (${status}): ${error}")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# The text as it stands, line for line: the help texts are laid out in columns. Roff
# would read a backslash as an escape and a leading '.' or ''' as a request, and prints
# '-' as a hyphen that cannot be pasted back into a shell.
function(verbatim out text)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  string(REGEX REPLACE "\n+$" "" text "\n${text}")
  string(REGEX REPLACE "\n([.'])" "\n\\\\&\\1" text "${text}")
  string(REGEX REPLACE "^\n" "" text "${text}")
  set(${out} ".nf\n${text}\n.fi" PARENT_SCOPE)
endfunction()

if(NOT LIBDIR)
  set(LIBDIR lib/mailvane)
endif()

help_text(usage)
verbatim(USAGE "${usage}")

# The command table of the overview: "  name  summary" lines after "Commands:".
string(FIND "${usage}" "\nCommands:\n" start)
if(start LESS 0)
  message(FATAL_ERROR "mailvane --help lists no commands")
endif()
string(SUBSTRING "${usage}" ${start} -1 table)
string(FIND "${table}" "\n\n" end)
string(SUBSTRING "${table}" 0 ${end} table)
string(REGEX MATCHALL "\n  [a-z]+ " names "${table}")
set(COMMANDS "")
foreach(name IN LISTS names)
  string(STRIP "${name}" name)
  help_text(text ${name})
  verbatim(block "${text}")
  string(APPEND COMMANDS ".SS \"mailvane ${name}\"\n${block}\n")
endforeach()
if(COMMANDS STREQUAL "")
  message(FATAL_ERROR "mailvane --help lists no commands")
endif()
string(REGEX REPLACE "\n$" "" COMMANDS "${COMMANDS}")

configure_file(${TEMPLATE} ${OUTPUT} @ONLY)
if(GZIP)
  execute_process(COMMAND ${GZIP} -9nkf ${OUTPUT} RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${GZIP} ${OUTPUT} failed")
  endif()
endif()
