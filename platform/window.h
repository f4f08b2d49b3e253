// Windows: hold their controls by name, raise their construction events, and
// take keys, clicks and closing from the backend.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/object.h"

namespace platform {

class MenuBar;

class Window : public Object {
 public:
  static const ClassInfo& __Lookup();
  ~Window() override;

  // The default constructor: records the window in the framework's window list
  // (and as its class's implicit instance), raises Layout, CreateControls and
  // Open in this order, then shows the window when Visible.
  virtual void Constructor();

  // A new, unconstructed instance of `cls` that belongs to this window.
  Ref<Object> __New(const ClassInfo& cls);
  // Registers `control` under `name` (several share one name in a control array).
  // A Control learns its window; a _PaneChild gets _SetWindow and _SetIndex.
  void _AddControl(const String& name, const Ref<Object>& control);
  // The first control registered under `name`; nil when none.
  Ref<Object> controlByName(std::string_view name) const;
  // The control registered under `name` whose Index equals `index`; nil when none.
  Ref<Object> controlByNameIndex(std::string_view name, int32_t index) const;
  // Registered controls in registration order.
  const std::vector<std::pair<String, Ref<Object>>>& controls() const noexcept { return controls_; }

  const Ref<platform::MenuBar>& MenuBar() const noexcept { return menuBar_; }
  void MenuBar(const Ref<platform::MenuBar>& bar);

  // Design-time properties. Width and Height are the content's size.
  int32_t Width() const noexcept { return width_; }
  int32_t Height() const noexcept { return height_; }
  void Width(int32_t v);
  void Height(int32_t v);
  const String& Title() const noexcept { return title_; }
  void Title(String v);
  bool Visible() const noexcept { return visible_; }
  void Visible(bool v);
  bool Resizeable() const noexcept { return resizeable_; }
  bool CloseButton() const noexcept { return closeButton_; }
  bool MinimizeButton() const noexcept { return minimizeButton_; }
  bool MaximizeButton() const noexcept { return maximizeButton_; }
  bool MenuBarVisible() const noexcept { return menuBarVisible_; }
  int32_t MacProcId() const noexcept { return macProcId_; }
  Color BackColor() const noexcept { return backColor_; }
  bool HasBackColor() const noexcept { return hasBackColor_; }
  // The rest are stored as given.
  int32_t placement = 0, minWidth = 0, minHeight = 0, maxWidth = 32000, maxHeight = 32000, frame = 0;
  bool composite = false, fullScreen = false, liveResize = false;

  // Backend side: a key press; returns what the window's KeyDown handler returned
  // (false when it has none).
  bool keyDown(const String& key);
  // Backend side: the close button. Closes the window; closing the last window quits.
  void userClose();
  // Removes the window from the framework's lists, stops its timers, hands its
  // pane children nil (breaking their counted references back to the window),
  // closes and drops its controls, and tells the backend.
  void Close();
  bool isOpen() const noexcept { return open_; }

 private:
  friend struct WindowPropertySetters;
  void raise(std::string_view event);
  std::vector<std::pair<String, Ref<Object>>> controls_;
  Ref<platform::MenuBar> menuBar_;
  int32_t width_ = 0, height_ = 0, macProcId_ = 0;
  String title_;
  bool visible_ = true, resizeable_ = true, closeButton_ = true, minimizeButton_ = true,
       maximizeButton_ = true, menuBarVisible_ = true, hasBackColor_ = false;
  Color backColor_{255, 255, 255};
  bool open_ = false;
  bool closing_ = false;
};

// The implicit instance of the window class named `className`; nil when none.
Ref<Window> RuntimeGetImplicitWindow(std::string_view className);
Ref<Object> RuntimeWindowControlByName(Window& window, std::string_view name);
Ref<Object> RuntimeWindowControlByNameIndex(Window& window, std::string_view name, int32_t index);
// Open windows, in order of opening.
std::vector<Ref<Window>> RuntimeWindows();

}  // namespace platform
