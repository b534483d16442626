# Joins the help pages into the help file the editor shows and setup copies:
#   cmake -DPAGES=<folder of *.html> -DOUT=<sonvela.hlp> -P make_help.cmake
# The file is the line "SONVELA HELP 1", then each page as a line
# "@page <name>" followed by the page's text.
file(GLOB pages RELATIVE ${PAGES} ${PAGES}/*.html)
list(SORT pages)
set(text "SONVELA HELP 1\n")
foreach(p ${pages})
  file(READ ${PAGES}/${p} body)
  if(body MATCHES "(^|\n)@page ")
    message(FATAL_ERROR "${p}: a line of a page may not start with \"@page \"")
  endif()
  if(NOT body MATCHES "\n$")
    string(APPEND body "\n")
  endif()
  string(APPEND text "@page ${p}\n${body}")
endforeach()
file(WRITE ${OUT}.tmp "${text}")
file(RENAME ${OUT}.tmp ${OUT})
