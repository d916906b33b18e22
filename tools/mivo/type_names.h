// The names the tool lists instances under.
#pragma once

#include <string>

class NuskDomain;
class NuskObject;

namespace mivo_tool {

std::string upper(std::string s);
/// An instance's type in upper case; a complex instance's leaf types, alphabetical, joined by "+"
/// ("LENGTH_UNIT+SI_UNIT"); an instance kept as read, the names it was read with.
std::string typeKey(NuskObject* obj);
/// The name every instance of `domain` is listed under, unless the store keeps it as read (see typeKey).
std::string typeKeyOf(const NuskDomain* domain);
/// Whether instances of `domain` may be records kept as read, whose names are their own.
bool keptAsRead(const NuskDomain* domain);

}  // namespace mivo_tool
