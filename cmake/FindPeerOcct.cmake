# Finds the peer STEP reader (OpenCASCADE's data-exchange libraries, Debian's libocct-data-exchange-dev)
# and defines the imported target peer::occt when its headers and libraries are all there.
#
#   PeerOcct_FOUND        TRUE when found
#   PeerOcct_VERSION      e.g. 7.6.3 (from Standard_Version.hxx)
#   peer::occt            headers (/usr/include/opencascade) and the libraries a STEP read needs, the
#                         transfer into the peer's document (assembly labels, names) included
#
# Every library listed is required: when one is missing, PeerOcct_FOUND is false and there is no target.
# On Debian, libocct-data-exchange-dev brings them all (with libocct-ocaf-dev and libocct-modeling-data-dev).
#
# peer::occt is linked only into the benchmarks and tests that compare with the peer: never into nusk,
# libmivo or the tools.

find_path(PeerOcct_INCLUDE_DIR NAMES STEPControl_Reader.hxx PATH_SUFFIXES opencascade)

# OCCT 7.8 merged the STEP toolkits, the document one (TKXDESTEP) among them, into TKDESTEP; 7.6 and 7.7
# (Debian 12) have TKSTEP, TKSTEPBase, ... and TKXDESTEP.
set(_peer_occt_vars PeerOcct_INCLUDE_DIR)
set(_peer_occt_link)
macro(_peer_occt_library key)
  find_library(PeerOcct_${key}_LIBRARY NAMES ${ARGN})
  mark_as_advanced(PeerOcct_${key}_LIBRARY)
  list(APPEND _peer_occt_vars PeerOcct_${key}_LIBRARY)
  list(APPEND _peer_occt_link "${PeerOcct_${key}_LIBRARY}")
endmacro()
_peer_occt_library(TKSTEP TKDESTEP TKSTEP)        # STEP reader
_peer_occt_library(TKXDESTEP TKDESTEP TKXDESTEP)  # STEP reader into a document (assemblies, names)
_peer_occt_library(TKXCAF TKXCAF)                 # the document's shape tool
_peer_occt_library(TKLCAF TKLCAF)                 # labels and their attributes
_peer_occt_library(TKCDF TKCDF)                   # documents and their application
_peer_occt_library(TKBRep TKBRep)                 # shapes and their topology
_peer_occt_library(TKG3d TKG3d)                   # their geometry
_peer_occt_library(TKXSBase TKXSBase)             # data exchange base
_peer_occt_library(TKMath TKMath)                 # transformations, locations
_peer_occt_library(TKernel TKernel)
list(REMOVE_DUPLICATES _peer_occt_link)
mark_as_advanced(PeerOcct_INCLUDE_DIR)

if(PeerOcct_INCLUDE_DIR AND EXISTS "${PeerOcct_INCLUDE_DIR}/Standard_Version.hxx")
  file(STRINGS "${PeerOcct_INCLUDE_DIR}/Standard_Version.hxx" _peer_occt_version
       REGEX "^#define OCC_VERSION_COMPLETE ")
  string(REGEX REPLACE ".*\"([^\"]+)\".*" "\\1" PeerOcct_VERSION "${_peer_occt_version}")
  unset(_peer_occt_version)
endif()

include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(PeerOcct
  REQUIRED_VARS ${_peer_occt_vars}
  VERSION_VAR PeerOcct_VERSION)

if(PeerOcct_FOUND AND NOT TARGET peer::occt)
  add_library(peer::occt INTERFACE IMPORTED)
  # Imported include directories are system ones: OCCT's headers raise no -Wall -Wextra warnings here.
  set_target_properties(peer::occt PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES "${PeerOcct_INCLUDE_DIR}"
    INTERFACE_LINK_LIBRARIES "${_peer_occt_link}")
endif()
unset(_peer_occt_libraries)
unset(_peer_occt_vars)
unset(_peer_occt_link)
