// The object model: exceptions, counted objects, the class registry, object
// creation, delegates, installed handlers and the self/me swap.
#include "platform/object.h"

#include <algorithm>
#include <cctype>
#include <memory>

#include "platform/controls.h"
#include "platform/run.h"
#include "platform/timer.h"
#include "platform/window.h"

namespace platform {

// ---------------------------------------------------------------- exceptions

RuntimeException::RuntimeException(std::string className, std::string message)
    : std::runtime_error(std::move(message)), className_(std::move(className)) {}

NilObjectException::NilObjectException(std::string message)
    : RuntimeException("NilObjectException", std::move(message)) {}

OutOfBoundsException::OutOfBoundsException(std::string message)
    : RuntimeException("OutOfBoundsException", std::move(message)) {}

UnsupportedFormatException::UnsupportedFormatException(std::string message)
    : RuntimeException("UnsupportedFormatException", std::move(message)) {}

void RaiseNilObjectException() { throw NilObjectException(); }

// ---------------------------------------------------------------- objects

Object::~Object() = default;

void Object::release() const noexcept {
  if (--refs_ > 0) return;
  // A finaliser may take and give back a reference to the object it finalises;
  // holding one count meanwhile keeps that from deleting it a second time.
  refs_ = 1;
  auto* self = const_cast<Object*>(this);
  for (const ClassInfo* cls = class_; cls; cls = cls->base) {
    if (cls->finaliser) cls->finaliser(*self);
  }
  delete self;
}

bool Object::isA(const ClassInfo& cls) const noexcept { return class_ && class_->derivesFrom(cls); }

void Object::installHandler(std::string_view event, HandlerEntry entry) {
  for (auto& [name, handler] : handlers_) {
    if (name == event) {
      handler = entry;
      return;
    }
  }
  handlers_.emplace_back(std::string(event), entry);
}

bool Object::hasHandler(std::string_view event) const noexcept {
  return handlerFor(event) != nullptr;
}

Object::HandlerEntry Object::handlerFor(std::string_view event) const noexcept {
  for (const auto& [name, handler] : handlers_) {
    if (name == event) return handler;
  }
  return nullptr;
}

bool Object::raiseEvent(std::string_view event) {
  HandlerEntry entry = handlerFor(event);
  if (!entry) return false;
  // The handler may drop the last other reference to the raiser (a window
  // closing its own controls); the raiser stays alive until it returns.
  Ref<Object> keep(this);
  entry(*this);
  return true;
}

// ---------------------------------------------------------------- class descriptions

namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b) noexcept {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

// Every description made in the process, and the classes registered since the
// registry's last release, in registration order.
struct ClassRegistry {
  std::vector<std::unique_ptr<ClassInfo>> known;
  std::vector<const ClassInfo*> order;
  uint64_t generation = 0;
};

ClassRegistry& registry() {
  static ClassRegistry instance;
  return instance;
}

}  // namespace

namespace detail {

uint64_t classRegistryGeneration() noexcept { return registry().generation; }

void releaseClassRegistry() {
  ClassRegistry& reg = registry();
  reg.order.clear();
  ++reg.generation;
}

}  // namespace detail

bool ClassInfo::derivesFrom(const ClassInfo& other) const noexcept {
  for (const ClassInfo* cls = this; cls; cls = cls->base) {
    if (cls == &other) return true;
  }
  return false;
}

const PropertyEntry* ClassInfo::findProperty(std::string_view propertyName) const noexcept {
  for (const ClassInfo* cls = this; cls; cls = cls->base) {
    for (const PropertyEntry& entry : cls->properties) {
      if (equalsIgnoringCase(entry.name, propertyName)) return &entry;
    }
  }
  return nullptr;
}

const EventBinding* ClassInfo::findEvent(std::string_view event) const noexcept {
  for (const ClassInfo* cls = this; cls; cls = cls->base) {
    for (const EventBinding& binding : cls->events) {
      if (binding.event == event) return &binding;
    }
  }
  return nullptr;
}

const Attribute* ClassInfo::findAttribute(std::string_view attributeName) const noexcept {
  for (const Attribute& attribute : attributes) {
    if (attribute.name == attributeName) return &attribute;
  }
  return nullptr;
}

ClassInfo& RuntimeNewClass(const ClassInfo* base, std::string name, Object* (*create)()) {
  ClassRegistry& reg = registry();
  for (const ClassInfo* cls : reg.order) {
    if (cls->name == name) return const_cast<ClassInfo&>(*cls);
  }
  ClassInfo* cls = nullptr;
  for (const auto& known : reg.known) {
    if (known->name == name) cls = known.get();
  }
  if (cls) {
    *cls = ClassInfo{};  // registered before the last release: described anew
  } else {
    cls = reg.known.emplace_back(std::make_unique<ClassInfo>()).get();
  }
  cls->name = std::move(name);
  cls->base = base;
  cls->create = create;
  RuntimeTrace("register " + cls->name);
  reg.order.push_back(cls);
  return *cls;
}

const ClassInfo* RuntimeFindClass(std::string_view name) noexcept {
  for (const ClassInfo* cls : registry().order) {
    if (cls->name == name) return cls;
  }
  return nullptr;
}

const std::vector<const ClassInfo*>& RuntimeRegisteredClasses() noexcept {
  return registry().order;
}

// The new object carries no reference yet (count 0): the caller adopts it into
// a Ref. Initialisers run base class first; if one throws, the object is freed.
Object* RuntimeNewObjectRaw(const ClassInfo& cls) {
  Object* (*create)() = nullptr;
  for (const ClassInfo* c = &cls; c && !create; c = c->base) create = c->create;
  if (!create) return nullptr;
  Object* raw = create();
  if (!raw) return nullptr;
  raw->class_ = &cls;
  Ref<Object> guard(raw);
  std::vector<const ClassInfo*> chain;
  for (const ClassInfo* c = &cls; c; c = c->base) chain.push_back(c);
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    if ((*it)->initialiser) (*it)->initialiser(*raw);
  }
  guard.detach();
  --raw->refs_;
  return raw;
}

Ref<Object> RuntimeNewObject(const ClassInfo& cls) { return Ref<Object>(RuntimeNewObjectRaw(cls)); }

Ref<Object> RuntimeCheckCast(const Ref<Object>& object, const ClassInfo& cls) {
  if (object && object->isA(cls)) return object;
  return nullptr;
}

// ---------------------------------------------------------------- delegates and handlers

const ClassInfo& Delegate::__Lookup() {
  static ClassSlot slot;
  return slot.get([]() -> const ClassInfo& {
    return RuntimeNewClass(nullptr, "Delegate", [] { return static_cast<Object*>(new Delegate); });
  });
}

void Delegate::Invoke() {
  Ref<Delegate> keep(this);
  if (const auto* startup = std::get_if<StartupEntry>(&entry_)) {
    if (!*startup) RaiseNilObjectException();
    (*startup)();
    return;
  }
  if (const auto* handler = std::get_if<HandlerEntry>(&entry_)) {
    if (!*handler || !bound_) RaiseNilObjectException();
    (*handler)(*bound_);
    return;
  }
  RaiseNilObjectException();
}

Ref<Delegate> RuntimeCreateDelegate(DelegateInvoker invoker, Delegate::Entry entry, Object* bound,
                                    std::string_view signature) {
  const bool empty = std::visit(
      [](const auto& e) {
        if constexpr (std::is_same_v<std::decay_t<decltype(e)>, std::monostate>) {
          return true;
        } else {
          return e == nullptr;
        }
      },
      entry);
  if (empty) return nullptr;
  Ref<Delegate> delegate = RuntimeNewObjectAs<Delegate>(Delegate::__Lookup());
  if (!delegate) return nullptr;
  delegate->invoker_ = invoker;
  delegate->entry_ = std::move(entry);
  delegate->bound_ = Ref<Object>(bound);
  delegate->signature_ = std::string(signature);
  return delegate;
}

void RuntimeInstallInstanceEventHandler(Object& object, std::string_view event,
                                        HandlerEntry entry) {
  object.installHandler(event, entry);
}

void RuntimeSwapSelfAndMe(Ref<Object>& self, Ref<Object>& me) {
  Ref<Object> raiser = self;
  me = raiser;
  if (auto* control = dynamic_cast<Control*>(raiser.get())) {
    self = control->Window();
  } else if (auto* child = dynamic_cast<_PaneChild*>(raiser.get())) {
    self = child->Window();
  }
  // Otherwise self stays the raiser itself.
}

}  // namespace platform
