#include "app/dialog_dump.h"

#include <iomanip>
#include <memory>
#include <ostream>
#include <sstream>
#include <vector>

#include "core/ansi_text.h"
#include "host/scene_load.h"
#include "host/settings_dialog.h"
#include "platform/win/dialog_font.h"
#include "platform/win/headless_backend.h"
#include "platform/win/message_box.h"
#include "platform/win/window_system.h"

namespace velquora {

namespace {

// Dialog units to pixels by the base units of a font, as a dialog maps them: x * base X
// / 4, y * base Y / 8. For a template that no dialog can be made of.
Rect ByBaseUnits(const Rect& units, const DialogBaseUnits& base) {
  const auto across = [&](int value) { return MulDiv(value, base.X, 4); };
  const auto down = [&](int value) { return MulDiv(value, base.Y, 8); };
  return Rect{across(units.Left), down(units.Top), across(units.Right), down(units.Bottom)};
}

std::string Hex(std::span<const std::uint8_t> bytes) {
  std::ostringstream text;
  text << std::hex << std::setfill('0');
  for (const std::uint8_t byte : bytes) text << std::setw(2) << static_cast<int>(byte);
  return text.str();
}

void Text(JsonWriter& json, std::string_view key, const AnsiString& text) {
  // As the template holds it: up to an embedded NUL.
  json.Field(key, std::string_view(AnsiToUtf8(text.substr(0, text.find('\0')))));
}

}  // namespace

void WriteDialogJson(JsonWriter& json, const DialogLayout& layout, const DialogScale& scale,
                     const DialogUnitsToPixels& to_pixels, std::span<const std::uint8_t> template_bytes) {
  json.BeginObject();
  json.Field("ScaleX", scale.X);
  json.Field("ScaleY", scale.Y);
  Text(json, "Title", layout.Title);
  json.Field("FontSize", std::int32_t{layout.FontSize});
  Text(json, "FontName", layout.FontName);
  json.Field("Style", layout.Style);
  json.Field("Width", std::int32_t{layout.Width});
  json.Field("Height", std::int32_t{layout.Height});
  json.Key("Items").BeginArray();
  for (const DialogLayoutItem& item : layout.Items) {
    json.BeginObject();
    json.Field("Id", std::int32_t{item.Id});
    json.Field("Class", std::int32_t{static_cast<std::uint16_t>(item.Class)});
    json.Field("Style", item.Style | kDialogItemBaseStyle);
    Text(json, "Text", item.Text);
    json.Field("X", std::int32_t{item.X});
    json.Field("Y", std::int32_t{item.Y});
    json.Field("Width", std::int32_t{item.Width});
    json.Field("Height", std::int32_t{item.Height});
    const Rect pixels = to_pixels(Rect{item.X, item.Y, item.X + item.Width, item.Y + item.Height});
    json.Key("PixelRect").BeginArray();
    for (const std::int32_t edge : {pixels.Left, pixels.Top, pixels.Right, pixels.Bottom}) json.Value(edge);
    json.EndArray();
    json.EndObject();
  }
  json.EndArray();
  json.Field("TemplateHex", std::string_view(Hex(template_bytes)));
  json.EndObject();
}

int RunDialogDump(const std::string& saver_path, DumpedDialog which, int dpi, std::ostream& out) {
  TVelquoraScene scene;
  scene.LoadSprites = false;  // the dialogs need only the scene-level data
  try {
    LoadSceneFromSaverFile(saver_path, scene, false);
  } catch (const std::exception&) {
    ShowErrorBox("Cannot read data from file.");
    scene.LoadFailed = true;
  }
  if (scene.LoadFailed) return 1;

  auto backend = std::make_unique<HeadlessBackend>();
  backend->DisplayDpi = dpi;
  TWindowSystem windows(std::move(backend));
  const bool settings = which == DumpedDialog::Settings;
  const DialogScale scale = settings ? MeasureDialogScale(windows, scene.SettingsFontName, scene.SettingsFontSize)
                                     : MeasureDialogScale(windows, scene.AboutFontName, scene.AboutFontSize);
  const DialogLayout layout = settings ? SettingsDialogLayout(scene, scale) : AboutDialogLayout(scene, scale);
  const std::vector<std::uint8_t> bytes = EncodeDialogTemplate(layout);
  // A hidden dialog of the template maps the units exactly as the shown one would.
  const WindowHandle dialog = windows.CreateDialogIndirectParam(
      bytes, kNoWindow, [](WindowHandle, UINT, WPARAM, LPARAM) { return LRESULT{0}; }, 0);
  const DialogBaseUnits base = MeasureDialogBaseUnits(AnsiToUtf8(layout.FontName), layout.FontSize, dpi);
  const DialogUnitsToPixels to_pixels = [&](const Rect& units) {
    Rect pixels = units;
    if (dialog != kNoWindow && windows.MapDialogRect(dialog, pixels)) return pixels;
    return ByBaseUnits(units, base);
  };
  JsonWriter json(out);
  WriteDialogJson(json, layout, scale, to_pixels, bytes);
  if (dialog != kNoWindow) windows.DestroyWindow(dialog);
  out << '\n';
  return 0;
}

}  // namespace velquora
