# Signs one program in place with osslsigncode:
#   cmake -DTOOL=osslsigncode -DFILE=prog.exe -DCERT=cert.pem -DKEY=key.pem
#         [-DPASSWORD_FILE=pass.txt] [-DTIMESTAMP_URL=url] [-DDESCRIPTION=text] -P SignProgram.cmake
# The signature goes to a temporary file first, so a failed signing leaves the program
# as it was.
set(signed ${FILE}.signing)
set(options -certs ${CERT} -key ${KEY} -h sha256)
if(PASSWORD_FILE)
  list(APPEND options -readpass ${PASSWORD_FILE})
endif()
if(TIMESTAMP_URL)
  list(APPEND options -ts ${TIMESTAMP_URL})
endif()
if(DESCRIPTION)
  list(APPEND options -n ${DESCRIPTION})
endif()
file(REMOVE ${signed})
execute_process(COMMAND ${TOOL} sign ${options} -in ${FILE} -out ${signed}
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  file(REMOVE ${signed})
  message(FATAL_ERROR "Signing ${FILE} failed:\n${output}")
endif()
file(RENAME ${signed} ${FILE})
