# Copies DATA_FILES (relative to SOURCE_DIR) into STAGE_DIR, keeping their folders.
foreach(file IN LISTS DATA_FILES)
  get_filename_component(dir ${file} DIRECTORY)
  file(COPY ${SOURCE_DIR}/${file} DESTINATION ${STAGE_DIR}/${dir})
endforeach()
