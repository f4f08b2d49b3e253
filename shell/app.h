// The application object's class: the framework's Application, nothing added.
#pragma once

#include "platform/application.h"
#include "platform/menu.h"
#include "platform/object.h"

namespace velmora {

// No constructor, fields, methods or events of its own. The one instance is
// made by _NewAppInstance and belongs to the framework once registered.
class App final : public platform::Application {
 public:
  static constexpr const char* kClassName = "App";
  // The class description, registered on first use.
  static const platform::ClassInfo& __Lookup();
};

}  // namespace velmora
