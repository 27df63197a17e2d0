# Setup programs and the release files.
#
#   kestrune_setup(<setup program> <dll> <stub> <version> [<targets it waits for>...])
#
# builds installer/gen_Kestrune.nsi with makensis into a setup program of
# that version that installs <dll> with the documents below.  <stub> is
# NSIS's x86-unicode for the shipped 32-bit DLL, or amd64-unicode for the
# x86_64 test build's own DLL.
#
# The documents, made in <build>/docs/ at build time:
#   readme.txt       docs/readme.txt.in with the version, CR LF line ends
#   CHANGES.txt      CHANGES.txt, CR LF line ends
#   user-guide.html  docs/user-guide.md through cmark-gfm (cmake/guide-html.cmake)
# and the guide's screenshots/ beside it.
#
# The release target of the DLL build (scripts/release.sh) writes, into
# KESTRUNE_RELEASE_DIR:
#   gen_Kestrune-<version>-setup.exe  the setup program of the 32-bit DLL
#   gen_Kestrune-<version>.zip        the DLL, the documents, the guide's
#                                     screenshots and the licence
find_program(KESTRUNE_MAKENSIS makensis REQUIRED)
find_program(KESTRUNE_7Z 7z REQUIRED)
find_program(KESTRUNE_CMARK cmark-gfm REQUIRED)
set(KESTRUNE_RELEASE_NAME gen_Kestrune-${PROJECT_VERSION})

set(KESTRUNE_DOCS ${CMAKE_BINARY_DIR}/docs)
set(KESTRUNE_VERSION ${PROJECT_VERSION})
configure_file(${CMAKE_SOURCE_DIR}/docs/readme.txt.in ${KESTRUNE_DOCS}/readme.txt @ONLY NEWLINE_STYLE CRLF)
configure_file(${CMAKE_SOURCE_DIR}/CHANGES.txt ${KESTRUNE_DOCS}/CHANGES.txt NEWLINE_STYLE CRLF)
file(GLOB KESTRUNE_SCREENSHOTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/docs/screenshots/*.png)
add_custom_command(
  OUTPUT ${KESTRUNE_DOCS}/user-guide.html
  COMMAND ${CMAKE_COMMAND} -DCMARK=${KESTRUNE_CMARK} -DINPUT=${CMAKE_SOURCE_DIR}/docs/user-guide.md
          -DOUTPUT=${KESTRUNE_DOCS}/user-guide.html -DVERSION=${PROJECT_VERSION}
          -P ${CMAKE_SOURCE_DIR}/cmake/guide-html.cmake
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/docs/screenshots ${KESTRUNE_DOCS}/screenshots
  DEPENDS ${CMAKE_SOURCE_DIR}/docs/user-guide.md ${CMAKE_SOURCE_DIR}/cmake/guide-html.cmake ${KESTRUNE_SCREENSHOTS}
  COMMENT "User guide in HTML"
  VERBATIM)
add_custom_target(kestrune_docs DEPENDS ${KESTRUNE_DOCS}/user-guide.html)

function(kestrune_setup output dll stub version)
  set(script ${CMAKE_SOURCE_DIR}/installer/gen_Kestrune.nsi)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${KESTRUNE_MAKENSIS} -V2 -DVERSION=${version} -DDLL=${dll} -DTARGET=${stub}
            -DLICENSE=${CMAKE_SOURCE_DIR}/LICENSE -DDOCS=${KESTRUNE_DOCS} -DOUTFILE=${output} ${script}
    DEPENDS ${script} ${CMAKE_SOURCE_DIR}/LICENSE ${dll} ${KESTRUNE_DOCS}/user-guide.html ${KESTRUNE_DOCS}/readme.txt
            ${KESTRUNE_DOCS}/CHANGES.txt ${ARGN}
    COMMENT "Setup program ${output}"
    VERBATIM)
endfunction()

if(NOT KESTRUNE_TESTS)
  set(KESTRUNE_RELEASE_DIR ${CMAKE_BINARY_DIR}/release CACHE PATH "Where the release target writes its files")
  set(setup ${KESTRUNE_RELEASE_DIR}/${KESTRUNE_RELEASE_NAME}-setup.exe)
  set(zip ${KESTRUNE_RELEASE_DIR}/${KESTRUNE_RELEASE_NAME}.zip)
  kestrune_setup(${setup} $<TARGET_FILE:gen_Kestrune> x86-unicode ${PROJECT_VERSION} gen_Kestrune)

  # The zip's files, under the names they have in it, staged in one folder.
  set(stage ${CMAKE_BINARY_DIR}/zip)
  set(zipped gen_Kestrune.dll readme.txt CHANGES.txt user-guide.html LICENSE.txt screenshots)
  add_custom_command(
    OUTPUT ${zip}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${stage} ${zip}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:gen_Kestrune> ${stage}/gen_Kestrune.dll
    COMMAND ${CMAKE_COMMAND} -E copy ${KESTRUNE_DOCS}/readme.txt ${KESTRUNE_DOCS}/CHANGES.txt
            ${KESTRUNE_DOCS}/user-guide.html ${stage}
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/LICENSE ${stage}/LICENSE.txt
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${KESTRUNE_DOCS}/screenshots ${stage}/screenshots
    COMMAND ${CMAKE_COMMAND} -E chdir ${stage} ${KESTRUNE_7Z} a -tzip -bd -bso0 ${zip} ${zipped}
    DEPENDS gen_Kestrune ${KESTRUNE_DOCS}/user-guide.html ${KESTRUNE_DOCS}/readme.txt ${KESTRUNE_DOCS}/CHANGES.txt
            ${CMAKE_SOURCE_DIR}/LICENSE
    COMMENT "Release zip ${zip}"
    VERBATIM)
  add_custom_target(release DEPENDS ${setup} ${zip})
endif()
