# The cross build runs vendor tools while it builds (packing the product into
# setup.exe). Those must run on the build machine, so they are built once more, with
# the host compiler, as a tools-only tree inside this build folder.
include(ExternalProject)

set(hostToolsDir ${CMAKE_BINARY_DIR}/host-tools)
ExternalProject_Add(kavrix_host_tools
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${hostToolsDir}
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DKAVRIX_TOOLS_ONLY=ON
  BUILD_COMMAND ${CMAKE_COMMAND} --build ${hostToolsDir} --target kvarc kvpayload kvartwork kvproductgen
  INSTALL_COMMAND ""
  BUILD_ALWAYS ON
  BUILD_BYPRODUCTS ${hostToolsDir}/tools/kvarc/kvarc ${hostToolsDir}/tools/payload/kvpayload
                   ${hostToolsDir}/tools/artwork/kvartwork ${hostToolsDir}/tools/productgen/kvproductgen)

set(KAVRIX_HOST_KVARC ${hostToolsDir}/tools/kvarc/kvarc)
set(KAVRIX_HOST_KVPAYLOAD ${hostToolsDir}/tools/payload/kvpayload)
set(KAVRIX_HOST_KVARTWORK ${hostToolsDir}/tools/artwork/kvartwork)
set(KAVRIX_HOST_KVPRODUCTGEN ${hostToolsDir}/tools/productgen/kvproductgen)
