// Controls: the framework's control classes. Each holds its own state; reading a
// property never asks the toolkit. Writes that change what a person sees are
// forwarded to the backend (Toolkit::controlChanged).
#pragma once

#include <cstdint>
#include <limits>

#include "platform/object.h"

namespace platform {

class Window;

// The Index of a control that belongs to no control array.
inline constexpr int32_t kNoIndex = std::numeric_limits<int32_t>::min();

// What changed on an object, for the backend to mirror.
enum class Change { Caption, Text, Enabled, Value, Visible, Geometry, Title, MenuBar, Font };

class Control : public Object {
 public:
  static const ClassInfo& __Lookup();

  int32_t Index() const noexcept { return index_; }
  void Index(int32_t v) noexcept { index_ = v; }
  const String& Name() const noexcept { return name_; }
  void Name(String v) { name_ = std::move(v); }
  int32_t TabPanelIndex() const noexcept { return tabPanelIndex_; }
  void TabPanelIndex(int32_t v) noexcept { tabPanelIndex_ = v; }
  // The window the control is registered with; nil before.
  Ref<platform::Window> Window() const;

  virtual void Close();
  // Called by Window::_AddControl with the registering window (nullptr when it closes).
  virtual void _SetWindow(platform::Window* window);
  virtual void _CallOpenEvent() {}

 protected:
  void notifyChanged(Change what);

 private:
  int32_t index_ = kNoIndex;
  int32_t tabPanelIndex_ = 0;
  String name_;
  platform::Window* window_ = nullptr;  // not counted: the window owns its controls
};

// A visible control with a rectangle.
class RectControl : public Control {
 public:
  static const ClassInfo& __Lookup();

  // The framework's default construction of a visible control.
  virtual void Constructor();

  int32_t Left() const noexcept { return left_; }
  int32_t Top() const noexcept { return top_; }
  int32_t Width() const noexcept { return width_; }
  int32_t Height() const noexcept { return height_; }
  void Left(int32_t v);
  void Top(int32_t v);
  void Width(int32_t v);
  void Height(int32_t v);
  int32_t TabIndex() const noexcept { return tabIndex_; }
  void TabIndex(int32_t v) noexcept { tabIndex_ = v; }
  bool Enabled() const noexcept { return enabled_; }
  void Enabled(bool v);
  bool Visible() const noexcept { return visible_; }
  void Visible(bool v);
  bool TabStop() const noexcept { return tabStop_; }
  void TabStop(bool v) noexcept { tabStop_ = v; }
  const String& HelpTag() const noexcept { return helpTag_; }
  void HelpTag(String v) { helpTag_ = std::move(v); }
  const String& TextFont() const noexcept { return textFont_; }
  void TextFont(String v);
  int32_t TextSize() const noexcept { return textSize_; }
  void TextSize(int32_t v);
  bool Bold() const noexcept { return bold_; }
  void Bold(bool v);
  bool Italic() const noexcept { return italic_; }
  void Italic(bool v);
  bool Underline() const noexcept { return underline_; }
  void Underline(bool v);
  // Lock*, AutoDeactivate and InitialParent are kept as given; nothing here uses them.
  bool lockLeft = false, lockTop = false, lockRight = false, lockBottom = false;
  bool autoDeactivate = true;
  String initialParent;

  // A person's click, as the backend delivers it. Does nothing while disabled or hidden.
  virtual void click() {}

 private:
  int32_t left_ = 0, top_ = 0, width_ = 0, height_ = 0, tabIndex_ = 0, textSize_ = 0;
  bool enabled_ = true, visible_ = true, tabStop_ = true, bold_ = false, italic_ = false,
       underline_ = false;
  String helpTag_, textFont_;
};

class PushButton : public RectControl {
 public:
  static const ClassInfo& __Lookup();
  const String& Caption() const noexcept { return caption_; }
  void Caption(String v);
  bool Default() const noexcept { return default_; }
  void Default(bool v) noexcept { default_ = v; }
  bool Cancel() const noexcept { return cancel_; }
  void Cancel(bool v) noexcept { cancel_ = v; }
  // Raises "Action" when enabled and visible.
  void Push();
  void click() override { Push(); }

 private:
  String caption_;
  bool default_ = false, cancel_ = false;
};

class CheckBox : public RectControl {
 public:
  static const ClassInfo& __Lookup();
  const String& Caption() const noexcept { return caption_; }
  void Caption(String v);
  bool Value() const noexcept { return value_; }
  // Setting the value does not raise "Action"; only a click does.
  void Value(bool v);
  String dataSource, dataField;
  // Toggles the value, then raises "Action" (when enabled and visible).
  void click() override;

 private:
  String caption_;
  bool value_ = false;
};

class StaticText : public RectControl {
 public:
  static const ClassInfo& __Lookup();
  const String& Text() const noexcept { return text_; }
  void Text(platform::String v);
  // The label's caption is its text.
  void Caption(platform::String v) { Text(std::move(v)); }
  int32_t TextAlign() const noexcept { return textAlign_; }
  void TextAlign(int32_t v);
  Color TextColor() const noexcept { return textColor_; }
  void TextColor(Color v);
  bool MultiLine() const noexcept { return multiLine_; }
  void MultiLine(bool v) noexcept { multiLine_ = v; }
  platform::String dataSource, dataField;

 private:
  platform::String text_;
  int32_t textAlign_ = 0;
  Color textColor_{};
  bool multiLine_ = false;
};

// Sounds notes on its own MIDI channel of the backend's synthesiser.
class NotePlayer : public Control {
 public:
  static const ClassInfo& __Lookup();
  ~NotePlayer() override;
  // General MIDI program counted from 1 (1 piano, 26 steel guitar). A number
  // outside 1..128 keeps the current instrument.
  int32_t Instrument() const noexcept { return instrument_; }
  void Instrument(int32_t program);
  // Velocity 1..127 starts `note`; 0 releases it. Notes outside 0..127 are ignored;
  // velocities above 127 count as 127, below 0 as 0.
  void PlayNote(int32_t note, int32_t velocity);

 private:
  int channel();
  int32_t instrument_ = 1;
  int channel_ = -1;  // -1: not opened yet
};

}  // namespace platform
