# kavrix_pack_product(<product dir> <kvpayload> <output dir> [OPTIONS <kvpayload pack options>...]
#                     [DEPENDS <targets or files>...])
# Packs the product folder into <output dir>/product.qv2, saves the backdrop form's data
# holding it as <output dir>/TFORM1.bin and the archive's SHA-256 digest as
# <output dir>/product.sha256.
#
# What the folder holds is known only once kvpayload has walked it by its rules (links
# followed or refused, empty folders dropped), so kvpayload writes a depfile naming every
# file and folder it packed and make packs again when one of them changes; a folder's
# time changes when an entry comes or goes, so new and removed files count too. Listing
# the folder at configure time instead put whatever it held into make's own rules,
# where a dangling link stopped the build with "No rule to make target" before kvpayload
# could say what is wrong with the folder.
function(kavrix_pack_product productDir kvpayload outputDir)
  cmake_parse_arguments(ARG "" "" "OPTIONS;DEPENDS" ${ARGN})
  file(MAKE_DIRECTORY ${outputDir})
  add_custom_command(
    OUTPUT ${outputDir}/product.qv2 ${outputDir}/TFORM1.bin ${outputDir}/product.sha256
    # Relative names: the storage keeps the name it loaded from in the form data.
    COMMAND ${kvpayload} pack --depfile ${outputDir}/product.d --digest product.sha256 ${ARG_OPTIONS} ${productDir}
            product.qv2 TFORM1.bin
    WORKING_DIRECTORY ${outputDir}
    DEPFILE ${outputDir}/product.d
    DEPENDS ${ARG_DEPENDS}
    COMMENT "Packing ${productDir} into the backdrop form's data"
    VERBATIM)
endfunction()
