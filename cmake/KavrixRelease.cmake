# The programs a vendor ships (setup.exe and the programs inside its payload): one
# identity for their version resources and the code, byte-identical builds from the
# same sources, stripped programs with their debugging information in a file beside
# them, and optional Authenticode signing.

# --- The product's identity, also what the uninstall entry shows ------------------------
set(KAVRIX_PRODUCT_NAME "Quorvel 2.0")
set(KAVRIX_PRODUCT_VERSION 2.0)
set(KAVRIX_PUBLISHER "Veddal")
set(KAVRIX_COPYRIGHT "Copyright (C) 2026 Veddal. All rights reserved.")

set(identityDir ${CMAKE_BINARY_DIR}/generated/identity)
configure_file(${CMAKE_CURRENT_LIST_DIR}/ProductIdentity.h.in ${identityDir}/ProductIdentity.h @ONLY)
add_library(kavrix_product_identity INTERFACE)
target_include_directories(kavrix_product_identity INTERFACE ${identityDir})

# --- Reproducibility --------------------------------------------------------------------
# The moment the build stands for: the PE time stamps, and the latest date a file in the
# payload may carry when dates are clamped. Read when the build is configured.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(KAVRIX_SOURCE_DATE_EPOCH $ENV{SOURCE_DATE_EPOCH})
  if(NOT KAVRIX_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
    message(FATAL_ERROR "SOURCE_DATE_EPOCH must be seconds since 1970, not '${KAVRIX_SOURCE_DATE_EPOCH}'")
  endif()
else()
  set(KAVRIX_SOURCE_DATE_EPOCH 1767225600)  # 2026-01-01 00:00 UTC
endif()

option(KAVRIX_CLAMP_PAYLOAD_DATES
  "Date no file of KAVRIX_PRODUCT_DIR later than SOURCE_DATE_EPOCH in the payload (the demo product always is)" OFF)

# In `outVar`, the payload packing options for the product folder `productDir` (empty:
# the demo product). The demo product is staged by every build, so its file dates say
# nothing and are always clamped; a vendor's folder keeps its dates unless asked.
function(kavrix_payload_date_options outVar productDir)
  set(options "")
  if(NOT productDir OR KAVRIX_CLAMP_PAYLOAD_DATES)
    set(options --dates-not-after ${KAVRIX_SOURCE_DATE_EPOCH})
  endif()
  set(${outVar} "${options}" PARENT_SCOPE)
endfunction()

# No path of the build machine in any object: source and build folders become fixed
# names. GCC tries the later mapping first, so the build folder inside the sources is
# matched before the sources.
add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=
                    -ffile-prefix-map=${CMAKE_BINARY_DIR}/=build/)

# --- Size ---------------------------------------------------------------------------------
# Every function and datum in a section of its own, so the linker drops what no program
# reaches, much of the static C++ runtime among it. Line tables and function descriptions
# are enough to resolve a crash address; they go to the .debug file, not the program.
add_compile_options(-ffunction-sections -fdata-sections -g1)
add_link_options(-Wl,--gc-sections)
# Built for size, except the decoder, which unpacks the whole payload during installation
# and is measurably slower at -Os (bench/lzh_bench).
string(REPLACE "-O3" "-Os" CMAKE_CXX_FLAGS_RELEASE "${CMAKE_CXX_FLAGS_RELEASE}")
set(KAVRIX_SPEED_OPTIONS $<$<CONFIG:Release>:-O3>)

# --- Signing ------------------------------------------------------------------------------
set(KAVRIX_SIGN_CERT "" CACHE FILEPATH "Code-signing certificate (PEM); empty: the programs stay unsigned")
set(KAVRIX_SIGN_KEY "" CACHE FILEPATH "Private key of the code-signing certificate (PEM)")
set(KAVRIX_SIGN_PASSWORD_FILE "" CACHE FILEPATH "File holding the key's password, if it has one")
set(KAVRIX_SIGN_TIMESTAMP_URL "" CACHE STRING "RFC 3161 time-stamp server; empty: signatures carry no time stamp")
if(KAVRIX_SIGN_CERT)
  if(NOT KAVRIX_SIGN_KEY)
    message(FATAL_ERROR "KAVRIX_SIGN_CERT needs KAVRIX_SIGN_KEY")
  endif()
  foreach(signFile KAVRIX_SIGN_CERT KAVRIX_SIGN_KEY KAVRIX_SIGN_PASSWORD_FILE)
    if(${signFile} AND NOT EXISTS ${${signFile}})
      message(FATAL_ERROR "${signFile}: no file '${${signFile}}'")
    endif()
  endforeach()
  find_program(KAVRIX_OSSLSIGNCODE osslsigncode REQUIRED)
endif()

# In `outVar`, the COMMAND arguments that sign `file` in place, or nothing when the build
# does not sign. For a step that must sign after its own checks.
function(kavrix_sign_command outVar file)
  set(command "")
  if(KAVRIX_SIGN_CERT)
    set(command COMMAND ${CMAKE_COMMAND} -DTOOL=${KAVRIX_OSSLSIGNCODE} -DFILE=${file}
        -DCERT=${KAVRIX_SIGN_CERT} -DKEY=${KAVRIX_SIGN_KEY} -DPASSWORD_FILE=${KAVRIX_SIGN_PASSWORD_FILE}
        -DTIMESTAMP_URL=${KAVRIX_SIGN_TIMESTAMP_URL} -DDESCRIPTION=${KAVRIX_PRODUCT_NAME}
        -P ${PROJECT_SOURCE_DIR}/cmake/SignProgram.cmake)
  endif()
  set(${outVar} "${command}" PARENT_SCOPE)
endfunction()

# kavrix_shipped_program(<target> DESCRIPTION <text> [SIGN_LATER])
# Gives a program its version resource, moves its debugging information to <name>.debug
# beside it (its link map to <name>.map), and signs it when the build signs; SIGN_LATER leaves signing to a later step
# (kavrix_sign_command), for a program that is checked after it is linked.
function(kavrix_shipped_program target)
  cmake_parse_arguments(ARG "SIGN_LATER" "DESCRIPTION" "" ${ARGN})
  set(originalName ${target}.exe)
  set(versionScript ${CMAKE_CURRENT_BINARY_DIR}/${target}.version.rc)
  string(REPLACE "." "," versionCommas "${KAVRIX_PRODUCT_VERSION}.0.0")
  file(WRITE ${versionScript}
    "1 VERSIONINFO\n"
    "FILEVERSION ${versionCommas}\n"
    "PRODUCTVERSION ${versionCommas}\n"
    "FILEOS 0x40004\n"  # VOS_NT_WINDOWS32
    "FILETYPE 0x1\n"    # VFT_APP
    "BEGIN\n"
    "  BLOCK \"StringFileInfo\"\n"
    "  BEGIN\n"
    "    BLOCK \"040904B0\"\n"  # U.S. English, Unicode
    "    BEGIN\n"
    "      VALUE \"CompanyName\", \"${KAVRIX_PUBLISHER}\"\n"
    "      VALUE \"FileDescription\", \"${ARG_DESCRIPTION}\"\n"
    "      VALUE \"FileVersion\", \"${KAVRIX_PRODUCT_VERSION}\"\n"
    "      VALUE \"InternalName\", \"${target}\"\n"
    "      VALUE \"LegalCopyright\", \"${KAVRIX_COPYRIGHT}\"\n"
    "      VALUE \"OriginalFilename\", \"${originalName}\"\n"
    "      VALUE \"ProductName\", \"${KAVRIX_PRODUCT_NAME}\"\n"
    "      VALUE \"ProductVersion\", \"${KAVRIX_PRODUCT_VERSION}\"\n"
    "    END\n"
    "  END\n"
    "  BLOCK \"VarFileInfo\"\n"
    "  BEGIN\n"
    "    VALUE \"Translation\", 0x409, 1200\n"
    "  END\n"
    "END\n")
  target_sources(${target} PRIVATE ${versionScript} ${PROJECT_SOURCE_DIR}/src/foundation/SilentTerminate.cpp)
  # What the program is made of, for scripts/size-report.sh.
  target_link_options(${target} PRIVATE -Wl,-Map=$<TARGET_FILE_DIR:${target}>/${target}.map)

  # objcopy writes the PE time stamp anew, from SOURCE_DATE_EPOCH when it is set.
  set(objcopy ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${KAVRIX_SOURCE_DATE_EPOCH} ${CMAKE_OBJCOPY})
  set(debugFile $<TARGET_FILE_DIR:${target}>/${target}.debug)
  set(signCommand "")
  if(NOT ARG_SIGN_LATER)
    kavrix_sign_command(signCommand $<TARGET_FILE:${target}>)
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${objcopy} --only-keep-debug $<TARGET_FILE:${target}> ${debugFile}
    COMMAND ${objcopy} --strip-all --add-gnu-debuglink=${debugFile} $<TARGET_FILE:${target}>
    ${signCommand}
    VERBATIM)
endfunction()
