# Makes the user guide's HTML page: docs/guide.md through markdown_py (tables, fenced code, and
# heading ids that the guide's own #links name), inside guide.html.in.
# Usage: cmake -DMARKDOWN=markdown_py -DIN=guide.md -DTEMPLATE=guide.html.in -DVERSION=1.0.0 -DOUT=guide.html
#              -P guide-html.cmake
execute_process(
  COMMAND "${MARKDOWN}" --encoding utf-8 --output_format html --extension extra --extension toc "${IN}"
  OUTPUT_VARIABLE BODY
  COMMAND_ERROR_IS_FATAL ANY)
configure_file("${TEMPLATE}" "${OUT}" @ONLY)
