# Writes the list of installed files for the uninstaller: the data files below
# SOURCE_DIR (help sources excepted), the files below EXTRA_DIR if given, and
# BUILT_FILES, as paths relative to the destination with backslashes, plus the folders
# the data files need, deepest first. HEADER receives them as C++ arrays, TEXT one path
# a line for the stage check.
file(GLOB_RECURSE dataFiles RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*)
list(FILTER dataFiles EXCLUDE REGEX "^help/")
if(EXTRA_DIR)
  file(GLOB_RECURSE extraFiles RELATIVE ${EXTRA_DIR} ${EXTRA_DIR}/*)
  list(APPEND dataFiles ${extraFiles})
endif()
set(files ${dataFiles} ${BUILT_FILES})
list(SORT files)

set(directories "")
foreach(file IN LISTS dataFiles)
  get_filename_component(dir ${file} DIRECTORY)
  while(dir)
    list(APPEND directories ${dir})
    get_filename_component(dir ${dir} DIRECTORY)
  endwhile()
endforeach()
list(REMOVE_DUPLICATES directories)
# Reverse lexical order puts every folder before its parent.
list(SORT directories ORDER DESCENDING)

function(cxx_array name values out)
  list(LENGTH values count)
  set(text "inline constexpr std::array<std::string_view, ${count}> ${name}{\n")
  foreach(value IN LISTS values)
    string(REPLACE "/" "\\\\" value "${value}")
    string(REPLACE "\"" "\\\"" value "${value}")
    string(APPEND text "    \"${value}\",\n")
  endforeach()
  string(APPEND text "};\n")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

cxx_array(kInstalledFiles "${files}" filesArray)
cxx_array(kInstalledDirectories "${directories}" directoriesArray)
set(header "#pragma once
// Made by the build from the product folder: what the installation puts into the
// destination directory, relative to it.

#include <array>
#include <string_view>

namespace kavrix {

// Every installed file, the uninstaller itself included.
${filesArray}
// The folders created for them below the destination, each before its parent.
${directoriesArray}
}  // namespace kavrix
")
set(text "")
foreach(file IN LISTS files)
  string(APPEND text "${file}\n")
endforeach()

# Rewritten only when the contents change, so an unchanged list rebuilds nothing.
file(WRITE ${HEADER}.new "${header}")
file(COPY_FILE ${HEADER}.new ${HEADER} ONLY_IF_DIFFERENT)
file(REMOVE ${HEADER}.new)
file(WRITE ${TEXT}.new "${text}")
file(COPY_FILE ${TEXT}.new ${TEXT} ONLY_IF_DIFFERENT)
file(REMOVE ${TEXT}.new)
