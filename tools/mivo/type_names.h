// The names the tool lists instances under.
#pragma once

#include <string>

class NuskObject;

namespace mivo_tool {

std::string upper(std::string s);
/// An instance's type in upper case; a complex instance's leaf types, alphabetical, joined by "+"
/// ("LENGTH_UNIT+SI_UNIT"); an instance kept as read, the names it was read with.
std::string typeKey(NuskObject* obj);

}  // namespace mivo_tool
