# The project version as a header, <quorvel/version.h>, for every target.
configure_file(${CMAKE_CURRENT_LIST_DIR}/version.h.in
               ${CMAKE_BINARY_DIR}/generated/quorvel/version.h @ONLY)
target_include_directories(quorvel_cfg INTERFACE ${CMAKE_BINARY_DIR}/generated)
