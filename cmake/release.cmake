# Setup programs and the release files.
#
#   kestrune_setup(<setup program> <dll> <stub> [<targets it waits for>...])
#
# builds installer/gen_Kestrune.nsi with makensis into a setup program that
# installs <dll>.  <stub> is NSIS's x86-unicode for the shipped 32-bit DLL,
# or amd64-unicode for the x86_64 test build's own DLL.
#
# The release target of the DLL build (scripts/release.sh) writes, into
# KESTRUNE_RELEASE_DIR:
#   gen_Kestrune-<version>-setup.exe  the setup program of the 32-bit DLL
#   gen_Kestrune-<version>.zip        the DLL, the user guide with its
#                                     screenshots, the licence and the
#                                     read-me for installing by hand
find_program(KESTRUNE_MAKENSIS makensis REQUIRED)
find_program(KESTRUNE_7Z 7z REQUIRED)
set(KESTRUNE_RELEASE_NAME gen_Kestrune-${PROJECT_VERSION})

function(kestrune_setup output dll stub)
  set(script ${CMAKE_SOURCE_DIR}/installer/gen_Kestrune.nsi)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${KESTRUNE_MAKENSIS} -V2 -DVERSION=${PROJECT_VERSION} -DDLL=${dll} -DTARGET=${stub}
            -DLICENSE=${CMAKE_SOURCE_DIR}/LICENSE -DOUTFILE=${output} ${script}
    DEPENDS ${script} ${CMAKE_SOURCE_DIR}/LICENSE ${dll} ${ARGN}
    COMMENT "Setup program ${output}"
    VERBATIM)
endfunction()

if(NOT KESTRUNE_TESTS)
  set(KESTRUNE_RELEASE_DIR ${CMAKE_BINARY_DIR}/release CACHE PATH "Where the release target writes its files")
  set(setup ${KESTRUNE_RELEASE_DIR}/${KESTRUNE_RELEASE_NAME}-setup.exe)
  set(zip ${KESTRUNE_RELEASE_DIR}/${KESTRUNE_RELEASE_NAME}.zip)
  kestrune_setup(${setup} $<TARGET_FILE:gen_Kestrune> x86-unicode gen_Kestrune)

  # The zip's files, under the names they have in it, staged in one folder.
  set(stage ${CMAKE_BINARY_DIR}/zip)
  # The guide's pictures go with it, in the folder its links name.
  file(GLOB KESTRUNE_SCREENSHOTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/docs/screenshots/*.png)
  set(zipped gen_Kestrune.dll README-install.txt user-guide.md LICENSE.txt screenshots)
  add_custom_command(
    OUTPUT ${zip}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${stage} ${zip}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:gen_Kestrune> ${stage}/gen_Kestrune.dll
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/docs/README-install.txt ${stage}/README-install.txt
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/docs/user-guide.md ${stage}/user-guide.md
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/LICENSE ${stage}/LICENSE.txt
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/docs/screenshots ${stage}/screenshots
    COMMAND ${CMAKE_COMMAND} -E chdir ${stage} ${KESTRUNE_7Z} a -tzip -bd -bso0 ${zip} ${zipped}
    DEPENDS gen_Kestrune ${CMAKE_SOURCE_DIR}/docs/README-install.txt ${CMAKE_SOURCE_DIR}/docs/user-guide.md
            ${CMAKE_SOURCE_DIR}/LICENSE ${KESTRUNE_SCREENSHOTS}
    COMMENT "Release zip ${zip}"
    VERBATIM)
  add_custom_target(release DEPENDS ${setup} ${zip})
endif()
