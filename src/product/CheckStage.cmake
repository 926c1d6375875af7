# Fails when the staged folder STAGE_DIR holds other files than the uninstaller's list
# LIST names: an installation would then leave files behind or miss some.
file(GLOB_RECURSE staged RELATIVE ${STAGE_DIR} ${STAGE_DIR}/*)
list(SORT staged)
file(STRINGS ${LIST} listed)
list(SORT listed)
if(NOT staged STREQUAL listed)
  message(FATAL_ERROR "The staged product folder and the uninstaller's list differ:\n"
                      "  staged: ${staged}\n  listed: ${listed}")
endif()
