# Finds the peer STEP reader (OpenCASCADE's data-exchange libraries, Debian's libocct-data-exchange-dev)
# and defines the imported target peer::occt when its headers and libraries are all there.
#
#   PeerOcct_FOUND        TRUE when found
#   PeerOcct_VERSION      e.g. 7.6.3 (from Standard_Version.hxx)
#   peer::occt            headers (/usr/include/opencascade) and the libraries a STEP read needs
#
# peer::occt is linked only into the benchmarks and tests that compare with the peer: never into nusk,
# libmivo or the tools.

find_path(PeerOcct_INCLUDE_DIR NAMES STEPControl_Reader.hxx PATH_SUFFIXES opencascade)

# OCCT 7.8 merged the STEP toolkits into TKDESTEP; 7.6 and 7.7 (Debian 12) have TKSTEP, TKSTEPBase, ...
find_library(PeerOcct_TKSTEP_LIBRARY NAMES TKDESTEP TKSTEP)
find_library(PeerOcct_TKXSBase_LIBRARY NAMES TKXSBase)
find_library(PeerOcct_TKernel_LIBRARY NAMES TKernel)
find_library(PeerOcct_TKMath_LIBRARY NAMES TKMath)
mark_as_advanced(PeerOcct_INCLUDE_DIR PeerOcct_TKSTEP_LIBRARY PeerOcct_TKXSBase_LIBRARY
                 PeerOcct_TKernel_LIBRARY PeerOcct_TKMath_LIBRARY)

if(PeerOcct_INCLUDE_DIR AND EXISTS "${PeerOcct_INCLUDE_DIR}/Standard_Version.hxx")
  file(STRINGS "${PeerOcct_INCLUDE_DIR}/Standard_Version.hxx" _peer_occt_version
       REGEX "^#define OCC_VERSION_COMPLETE ")
  string(REGEX REPLACE ".*\"([^\"]+)\".*" "\\1" PeerOcct_VERSION "${_peer_occt_version}")
  unset(_peer_occt_version)
endif()

include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(PeerOcct
  REQUIRED_VARS PeerOcct_INCLUDE_DIR PeerOcct_TKSTEP_LIBRARY PeerOcct_TKXSBase_LIBRARY
                PeerOcct_TKernel_LIBRARY PeerOcct_TKMath_LIBRARY
  VERSION_VAR PeerOcct_VERSION)

if(PeerOcct_FOUND AND NOT TARGET peer::occt)
  add_library(peer::occt INTERFACE IMPORTED)
  # Imported include directories are system ones: OCCT's headers raise no -Wall -Wextra warnings here.
  set_target_properties(peer::occt PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES "${PeerOcct_INCLUDE_DIR}"
    INTERFACE_LINK_LIBRARIES "${PeerOcct_TKSTEP_LIBRARY};${PeerOcct_TKXSBase_LIBRARY};${PeerOcct_TKMath_LIBRARY};${PeerOcct_TKernel_LIBRARY}")
endif()
