// Dialog template builder: arbitrary dialog texts, fonts, flags and scales make the
// settings and about templates; their bytes must have the length the texts call for,
// and the dialog manager's template parser must read back the header and every item.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "core/ansi_text.h"
#include "core/random.h"
#include "host/dialog_layout.h"
#include "platform/win/dialog_template.h"

namespace {

class Input {
public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  std::int32_t Int() {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= static_cast<std::uint32_t>(Byte()) << (8 * i);
    return static_cast<std::int32_t>(value);
  }
  // A shortstring, as the scene file stores them: up to 255 bytes, anything allowed.
  std::string Text() {
    const std::size_t length = Byte();
    std::string text;
    for (std::size_t i = 0; i < length && pos_ < size_; ++i) text += static_cast<char>(data_[pos_++]);
    return text;
  }
  std::vector<std::string> Lines() {
    std::vector<std::string> lines(Byte() * 2u);  // up to 510 lines
    for (std::string& line : lines) line = Text();
    return lines;
  }
  double Scale() { return 0.05 + Byte() / 32.0; }

private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

// The bytes a NUL-terminated template text takes.
std::size_t TextBytes(const std::string& ansi) { return (velquora::AnsiToTemplateText(ansi).size() + 1) * 2; }

std::size_t ExpectedSize(const velquora::DialogLayout& dialog) {
  std::size_t size = 18 + 4 + TextBytes(dialog.Title) + 2 + TextBytes(dialog.FontName);
  for (const velquora::DialogLayoutItem& item : dialog.Items) {
    size = (size + 3) & ~std::size_t{3};
    size += 18 + 4 + TextBytes(item.Text) + 2;
  }
  return size;
}

void Check(const velquora::DialogLayout& dialog) {
  const std::vector<std::uint8_t> bytes = velquora::EncodeDialogTemplate(dialog);
  if (bytes.size() != ExpectedSize(dialog)) std::abort();
  // The window system's parser reads back exactly what was laid out.
  const std::optional<velquora::DialogTemplate> parsed = velquora::ParseDialogTemplate(bytes);
  if (!parsed) std::abort();
  if (parsed->Style != dialog.Style || parsed->Width != dialog.Width || parsed->Height != dialog.Height) std::abort();
  if (parsed->Title != velquora::AnsiToTemplateText(dialog.Title)) std::abort();
  if (parsed->FaceName != velquora::AnsiToTemplateText(dialog.FontName) || parsed->PointSize != dialog.FontSize) {
    std::abort();
  }
  if (parsed->Items.size() != dialog.Items.size()) std::abort();
  for (std::size_t i = 0; i < dialog.Items.size(); ++i) {
    const velquora::DialogLayoutItem& laid = dialog.Items[i];
    const velquora::DialogItemTemplate& read = parsed->Items[i];
    if (read.Id != laid.Id || read.Class != laid.Class || read.Style != (laid.Style | velquora::kDialogItemBaseStyle) ||
        read.X != laid.X || read.Y != laid.Y || read.Width != laid.Width || read.Height != laid.Height ||
        read.Text != velquora::AnsiToTemplateText(laid.Text) || !read.CreationData.empty()) {
      std::abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  velquora::SetFixedSeed(0);  // the scene seeds the generator; keep runs repeatable
  Input in(data, size);
  velquora::SetActiveCodePage((in.Byte() & 1) != 0 ? velquora::kCyrillicCodePage : velquora::kDefaultCodePage);
  const velquora::DialogScale scale{in.Scale(), in.Scale()};
  const std::uint8_t flags = in.Byte();
  velquora::TVelquoraScene scene;
  scene.ShowGoButton = (flags & 1) != 0;
  scene.ShowAboutButton = (flags & 2) != 0;
  scene.AboutShowGoButton = (flags & 4) != 0;
  scene.SettingsFontSize = in.Int();
  scene.AboutFontSize = in.Int();
  scene.SettingsCaption = in.Text();
  scene.SettingsFontName = in.Text();
  scene.AboutCaption = in.Text();
  scene.AboutFontName = in.Text() + in.Text();  // may be longer than a face may be
  scene.SpeedLabel = in.Text();
  scene.SupportLabel = in.Text();
  scene.SupportLink = in.Text();
  scene.AboutLabel = in.Text();
  scene.AboutLink = in.Text();
  scene.SettingsInfoLines = in.Lines();
  scene.SettingsNoteLines = in.Lines();
  scene.AboutLines = in.Lines();
  scene.AboutNoteLines = in.Lines();

  Check(velquora::SettingsDialogLayout(scene, scale));
  Check(velquora::AboutDialogLayout(scene, scale));
  Check(velquora::ProbeDialogLayout(scene.SettingsFontName, scene.SettingsFontSize));
  return 0;
}
