// Names of everything the generator writes: classes, enumerators, accessors, type handles and files.
// The generator and the build take file names from here only.
#pragma once

#include "resolve.h"

#include <string>

namespace expressc {

std::string className(const std::string& schemaName);            // "stp_si_unit"
std::string enumeratorName(const std::string& enumName, const std::string& value);  // "stp_si_prefix_milli"
std::string typeHandleName(const std::string& cppClass);         // "nusktype_stp_si_unit"
/// An attribute's accessor name: the attribute name, with "_" appended when it is a C++ keyword or a member
/// name of the store's object classes.
std::string accessorName(const std::string& attribute);
/// The class of an aggregate type (ListOfDouble, SetOfstp_unit, ListOfListOfstp_cartesian_point) and the name
/// of its domain in the store (the same text).
std::string aggregateClassName(const Resolved& r, const TypeSpec& aggregate);
/// Name of a complex class from its leaf types ("stp_length_unit_and_si_unit"); leaves in alphabetical order.
std::string complexClassName(const std::vector<std::string>& leaves);

std::string headerFileName(const std::string& cppClass);  // "stp_si_unit.h"
std::string chunkSourceName(int chunk);                   // "classes_07.cpp"

}  // namespace expressc
