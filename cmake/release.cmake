# Setup programs and the release files.
#
#   kestrune_setup(<setup program> <dll> <stub> [<targets it waits for>...])
#
# builds installer/gen_Kestrune.nsi with makensis into a setup program that
# installs <dll>.  <stub> is NSIS's x86-unicode for the shipped 32-bit DLL,
# or amd64-unicode for the x86_64 test build's own DLL.
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
