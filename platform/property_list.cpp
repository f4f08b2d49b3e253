// The design-time property-list applier.
#include "platform/property_list.h"

#include <cstring>

namespace platform {

namespace {

class ListReader {
 public:
  explicit ListReader(std::string_view list) : list_(list) {}
  bool atEnd() const { return pos_ >= list_.size(); }

  // The entry's name: the bytes up to the blank that ends it.
  std::string_view name() {
    const size_t blank = list_.find(' ', pos_);
    if (blank == std::string_view::npos) fail("an entry without a value at byte ");
    if (blank == pos_) fail("an entry without a name at byte ");
    std::string_view out = list_.substr(pos_, blank - pos_);
    pos_ = blank + 1;
    return out;
  }

  std::string_view bytes(size_t n) {
    if (list_.size() - pos_ < n) fail("a value cut short by the end of the list at byte ");
    std::string_view out = list_.substr(pos_, n);
    pos_ += n;
    return out;
  }

  int32_t int32() {
    const std::string_view b = bytes(4);
    uint32_t u = 0;
    for (char ch : b) u = (u << 8) | static_cast<uint8_t>(ch);
    return static_cast<int32_t>(u);
  }

  PropertyValue value(PropertyType type) {
    switch (type) {
      case PropertyType::Int32:
        return int32();
      case PropertyType::Boolean:  // 00 false; any other byte counts as true
        return bytes(1)[0] != '\0';
      case PropertyType::Color: {
        const std::string_view b = bytes(3);
        return Color{static_cast<uint8_t>(b[0]), static_cast<uint8_t>(b[1]),
                     static_cast<uint8_t>(b[2])};
      }
      case PropertyType::Text: {
        const int32_t count = int32();
        if (count < 0) fail("a negative text length before byte ");
        return String(bytes(static_cast<size_t>(count)));
      }
      case PropertyType::Object:
        break;
    }
    fail("a value of a type that lists cannot hold, before byte ");
  }

  [[noreturn]] void fail(const char* what) const {
    throw UnsupportedFormatException(std::string("property list: ") + what + std::to_string(pos_));
  }

 private:
  std::string_view list_;
  size_t pos_ = 0;
};

}  // namespace

void RuntimeMassPropertySetter(Object& target, std::string_view list) {
  const ClassInfo* cls = target.classInfo();
  if (!cls) throw UnsupportedFormatException("property list: the target has no class description");
  ListReader reader(list);
  while (!reader.atEnd()) {
    const std::string_view name = reader.name();
    const PropertyEntry* entry = cls->findProperty(name);
    if (!entry) {
      throw UnsupportedFormatException("property list: class " + cls->name + " has no property " +
                                       std::string(name));
    }
    if (!entry->set) {
      throw UnsupportedFormatException("property list: " + cls->name + "." + entry->name +
                                       " cannot be written");
    }
    entry->set(target, reader.value(entry->type));
  }
}

}  // namespace platform
