#include "host/dialog_layout.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "core/rounding.h"

namespace velquora {

namespace {

constexpr int kSettingsDesignWidth = 304;
constexpr int kSettingsDesignHeight = 240;
constexpr int kAboutDesignWidth = 318;
constexpr int kAboutDesignHeight = 270;
constexpr std::int16_t kProbeSize = 200;
constexpr const char* kProbeTitle = "Tmp";
constexpr const char* kSpeedTextInitial = "20 frames per second";
constexpr std::uint16_t kClassOrdinalMarker = 0xFFFF;
constexpr DialogControlClass kButton = DialogControlClass::Button;
constexpr DialogControlClass kStatic = DialogControlClass::Static;
constexpr DialogControlClass kScrollBar = DialogControlClass::ScrollBar;

class TemplateWriter {
public:
  void Align() {
    while (bytes_.size() % 4 != 0) bytes_.push_back(0);
  }
  void Word(std::uint16_t value) {
    bytes_.push_back(static_cast<std::uint8_t>(value & 0xFF));
    bytes_.push_back(static_cast<std::uint8_t>(value >> 8));
  }
  void Short(std::int16_t value) { Word(static_cast<std::uint16_t>(value)); }
  void Dword(std::uint32_t value) {
    Word(static_cast<std::uint16_t>(value & 0xFFFF));
    Word(static_cast<std::uint16_t>(value >> 16));
  }
  void Text(std::string_view ansi) {
    for (const char16_t unit : AnsiToTemplateText(ansi)) Word(unit);
    Word(0);
  }
  std::vector<std::uint8_t> Take() { return std::move(bytes_); }

private:
  std::vector<std::uint8_t> bytes_;
};

std::int16_t Clamp16(std::int64_t value) {
  return static_cast<std::int16_t>(
      std::clamp<std::int64_t>(value, std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max()));
}

void SetDesignSize(DialogLayout& dialog, const DialogScale& scale, int width, int height) {
  dialog.Width = DesignToDialogUnits(width, scale.X);
  dialog.Height = DesignToDialogUnits(height, scale.Y);
}

}  // namespace

std::int16_t DesignToDialogUnits(int design, double scale) {
  return Clamp16(Round(static_cast<Real>(design) / static_cast<Real>(scale)));
}

void AddDialogItem(DialogLayout& dialog, const DialogScale& scale, std::uint16_t id, DialogControlClass control_class,
                   std::uint32_t style, AnsiString text, int x, int y, int width, int height) {
  DialogLayoutItem item;
  item.Id = id;
  item.Class = control_class;
  item.Style = style;
  item.Text = std::move(text);
  item.X = DesignToDialogUnits(x, scale.X);
  item.Y = DesignToDialogUnits(y, scale.Y);
  item.Width = DesignToDialogUnits(width, scale.X);
  item.Height = DesignToDialogUnits(height, scale.Y);
  dialog.Items.push_back(std::move(item));
}

AnsiString TextBlock(const TStringList& lines) {
  AnsiString block;
  for (const AnsiString& line : lines) {
    block += line;
    block += '\r';
  }
  return block;
}

std::u16string AnsiToTemplateText(std::string_view text) {
  const int code_page = ActiveCodePage();
  std::u16string units;
  units.reserve(text.size());
  for (const char byte : text) {
    if (byte == '\0') break;
    // Both code pages map every byte into the basic plane: one UTF-16 unit each.
    units.push_back(static_cast<char16_t>(AnsiByteToCodePoint(static_cast<unsigned char>(byte), code_page)));
  }
  return units;
}

std::vector<std::uint8_t> EncodeDialogTemplate(const DialogLayout& dialog) {
  TemplateWriter out;
  out.Dword(dialog.Style);
  out.Dword(0);  // extended style
  out.Word(static_cast<std::uint16_t>(dialog.Items.size()));
  out.Short(0);  // x
  out.Short(0);  // y
  out.Short(dialog.Width);
  out.Short(dialog.Height);
  out.Word(0);  // no menu
  out.Word(0);  // the standard dialog class
  out.Text(dialog.Title);
  out.Word(dialog.FontSize);
  out.Text(dialog.FontName);
  for (const DialogLayoutItem& item : dialog.Items) {
    out.Align();
    out.Dword(item.Style | kDialogItemBaseStyle);
    out.Dword(0);  // extended style
    out.Short(item.X);
    out.Short(item.Y);
    out.Short(item.Width);
    out.Short(item.Height);
    out.Word(item.Id);
    out.Word(kClassOrdinalMarker);
    out.Word(static_cast<std::uint16_t>(item.Class));
    out.Text(item.Text);
    out.Word(0);  // no creation data
  }
  return out.Take();
}

DialogLayout SettingsDialogLayout(const TVelquoraScene& scene, const DialogScale& scale) {
  DialogLayout dialog;
  dialog.Title = scene.SettingsCaption;
  dialog.FontSize = static_cast<std::uint16_t>(scene.SettingsFontSize);
  dialog.FontName = scene.SettingsFontName;
  SetDesignSize(dialog, scale, kSettingsDesignWidth, kSettingsDesignHeight);
  const auto add = [&](std::uint16_t id, DialogControlClass atom, std::uint32_t style, AnsiString text, int x, int y,
                       int w, int h) { AddDialogItem(dialog, scale, id, atom, style, std::move(text), x, y, w, h); };
  add(kIdSpeedBar, kScrollBar, WS_TABSTOP | (SBS_HORZ | SBS_TOPALIGN), "", 6, 24, 187, 19);
  add(kIdPlaySound, kButton, WS_TABSTOP | BS_AUTOCHECKBOX, "Play sound", 6, 60, 129, 17);
  add(kIdOk, kButton, WS_TABSTOP | BS_DEFPUSHBUTTON, "OK", 202, 6, 91, 23);
  add(kIdCancel, kButton, WS_TABSTOP | BS_PUSHBUTTON, "Cancel", 202, 34, 91, 23);
  if (scene.ShowGoButton) add(kIdGo, kButton, WS_TABSTOP | BS_PUSHBUTTON, "Go ->", 248, 140, 45, 23);
  if (scene.ShowAboutButton) add(kIdAbout, kButton, WS_TABSTOP | BS_PUSHBUTTON, "About", 202, 178, 91, 23);
  add(kIdSpeedText, kStatic, SS_LEFT, kSpeedTextInitial, 6, 44, 187, 17);
  add(kIdSpeedLabel, kStatic, SS_LEFT, scene.SpeedLabel, 6, 8, 187, 16);
  add(kIdInfoBlock, kStatic, SS_LEFT, TextBlock(scene.SettingsInfoLines), 6, 86, 285, 40);
  add(kIdLinkLabel, kStatic, SS_LEFT, scene.SupportLabel, 6, 124, 285, 16);
  add(kIdLink, kStatic, SS_LEFT, scene.SupportLink, 6, 142, 241, 17);
  add(kIdNoteBlock, kStatic, SS_LEFT, TextBlock(scene.SettingsNoteLines), 6, 162, 193, 71);
  return dialog;
}

DialogLayout AboutDialogLayout(const TVelquoraScene& scene, const DialogScale& scale) {
  DialogLayout dialog;
  dialog.Title = scene.AboutCaption;
  dialog.FontSize = static_cast<std::uint16_t>(scene.AboutFontSize);
  dialog.FontName = scene.AboutFontName.substr(0, kMaxFontFaceLength);
  SetDesignSize(dialog, scale, kAboutDesignWidth, kAboutDesignHeight);
  const auto add = [&](std::uint16_t id, DialogControlClass atom, std::uint32_t style, AnsiString text, int x, int y,
                       int w, int h) { AddDialogItem(dialog, scale, id, atom, style, std::move(text), x, y, w, h); };
  add(kIdOk, kButton, WS_TABSTOP | BS_DEFPUSHBUTTON, "OK", 112, 238, 91, 23);
  if (scene.AboutShowGoButton) add(kIdGo, kButton, WS_TABSTOP | BS_PUSHBUTTON, "Go ->", 264, 136, 45, 23);
  add(kIdInfoBlock, kStatic, SS_LEFT, TextBlock(scene.AboutLines), 6, 4, 297, 118);
  add(kIdLinkLabel, kStatic, SS_LEFT, scene.AboutLabel, 6, 120, 299, 16);
  add(kIdLink, kStatic, SS_LEFT, scene.AboutLink, 6, 138, 257, 17);
  add(kIdNoteBlock, kStatic, SS_LEFT, TextBlock(scene.AboutNoteLines), 6, 162, 297, 75);
  return dialog;
}

DialogLayout ProbeDialogLayout(std::string_view font_name, std::int32_t font_size) {
  DialogLayout dialog;
  dialog.Title = kProbeTitle;
  dialog.FontSize = static_cast<std::uint16_t>(font_size);
  dialog.FontName = AnsiString(font_name);
  dialog.Width = kProbeSize;
  dialog.Height = kProbeSize;
  return dialog;
}

}  // namespace velquora
