# Reads resources/identity.json into REBOOTPC_<FIELD> variables (REBOOTPC_NAME,
# REBOOTPC_PUBLISHER, REBOOTPC_DESCRIPTION, REBOOTPC_COPYRIGHT, ...) for the version resource and
# the manifest; a change to the file configures the build again.
set(REBOOTPC_IDENTITY_FILE ${CMAKE_SOURCE_DIR}/resources/identity.json)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${REBOOTPC_IDENTITY_FILE})
file(READ ${REBOOTPC_IDENTITY_FILE} rebootpc_identity)
foreach(field name publisher package_id description homepage license copyright signer_sha256)
  string(JSON value ERROR_VARIABLE error GET "${rebootpc_identity}" ${field})
  if(error)
    message(FATAL_ERROR "${REBOOTPC_IDENTITY_FILE}: no \"${field}\": ${error}")
  endif()
  string(TOUPPER ${field} upper)
  set(REBOOTPC_${upper} "${value}")
endforeach()
# The texts go into resource scripts and XML inside double quotes.
foreach(field NAME PUBLISHER DESCRIPTION COPYRIGHT)
  if(REBOOTPC_${field} MATCHES "[\"<>&]")
    message(FATAL_ERROR "${REBOOTPC_IDENTITY_FILE}: the ${field} may not hold \" < > or &")
  endif()
endforeach()
# LICENSE must say the same, as the version resource and the manifests do.
file(STRINGS ${CMAKE_SOURCE_DIR}/LICENSE rebootpc_license_lines REGEX "^Copyright")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/LICENSE)
if(NOT REBOOTPC_COPYRIGHT IN_LIST rebootpc_license_lines)
  message(FATAL_ERROR "${REBOOTPC_IDENTITY_FILE}: the copyright \"${REBOOTPC_COPYRIGHT}\" is not the one in LICENSE (${rebootpc_license_lines})")
endif()
