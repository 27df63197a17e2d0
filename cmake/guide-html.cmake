# Turns the user guide's Markdown into one HTML page (cmake -P):
#
#   cmake -DCMARK=<cmark-gfm> -DINPUT=<user-guide.md> -DOUTPUT=<user-guide.html>
#         -DVERSION=<version> -P guide-html.cmake
#
# cmark-gfm (Debian's package) makes the body, tables included; the page
# around it gives the title, the version and a little style for reading in a
# browser.  The screenshots stay links to screenshots/ beside the page.
execute_process(COMMAND ${CMARK} --extension table --extension autolink --to html ${INPUT}
                OUTPUT_VARIABLE body RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmark-gfm could not read ${INPUT}")
endif()
file(WRITE ${OUTPUT} "<!DOCTYPE html>
<html lang=\"en\">
<head>
<meta charset=\"utf-8\">
<title>Kestrune ${VERSION} user guide</title>
<style>
body { font-family: Segoe UI, Tahoma, sans-serif; max-width: 60em; margin: 2em auto; padding: 0 1em; line-height: 1.45; }
table { border-collapse: collapse; } th, td { border: 1px solid #bbb; padding: 0.2em 0.5em; vertical-align: top; }
code { font-family: Consolas, monospace; } img { max-width: 100%; }
</style>
</head>
<body>
<p><small>Kestrune ${VERSION}</small></p>
${body}</body>
</html>
")
