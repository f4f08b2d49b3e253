// Small builders for the entries of the window's own class descriptions.
#pragma once

#include <optional>
#include <string>
#include <utility>

#include "platform/object.h"

namespace velmora {

// The class attribute `__Scope` with `value` ("Public" or "Private").
inline platform::Attributes scope(const char* value) { return {{"__Scope", value}}; }

// A public member entry; `hidden` adds the value-less attribute "Hidden".
inline platform::MemberEntry member(std::string name, std::string signature, bool hidden = false) {
  platform::MemberEntry m{std::move(name), scope("Public"), std::move(signature)};
  if (hidden) m.attributes.push_back({"Hidden", std::nullopt});
  return m;
}

}  // namespace velmora
