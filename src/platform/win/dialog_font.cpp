#include "platform/win/dialog_font.h"

#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <map>
#include <mutex>

#include "platform/win/messages.h"

namespace velquora {

namespace {

std::string Lowered(std::string_view text) {
  std::string lowered(text);
  for (char& c : lowered) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lowered;
}

struct Substitute {
  const char* face;
  const char* stand_in;
};
constexpr std::array kSubstitutes{
    Substitute{"ms sans serif", "Liberation Sans"},  Substitute{"ms shell dlg", "Liberation Sans"},
    Substitute{"ms shell dlg 2", "Liberation Sans"}, Substitute{"microsoft sans serif", "Liberation Sans"},
    Substitute{"system", "Liberation Sans"},         Substitute{"tahoma", "Liberation Sans"},
    Substitute{"arial", "Liberation Sans"},          Substitute{"helvetica", "Liberation Sans"},
    Substitute{"ms serif", "Liberation Serif"},      Substitute{"times new roman", "Liberation Serif"},
    Substitute{"times", "Liberation Serif"},         Substitute{"courier", "Liberation Mono"},
    Substitute{"courier new", "Liberation Mono"},    Substitute{"fixedsys", "Liberation Mono"},
    Substitute{"terminal", "Liberation Mono"},
};

// SDL2_ttf is started once for the process (it needs no display) and left running.
bool TtfReady() {
  static const bool ready = TTF_WasInit() > 0 || TTF_Init() == 0;
  return ready;
}

constexpr std::size_t kMaxCachedFaces = 64;
constexpr int kMaxFontPixels = 256;

std::mutex& FontFileLock() {
  static std::mutex lock;
  return lock;
}

}  // namespace

std::string SubstituteFontFace(std::string_view face) {
  std::string trimmed(face);
  while (!trimmed.empty() && trimmed.back() == ' ') trimmed.pop_back();
  const std::string lowered = Lowered(trimmed);
  for (const Substitute& substitute : kSubstitutes) {
    if (lowered == substitute.face) return substitute.stand_in;
  }
  return trimmed;
}

std::string FindFontFile(std::string_view face, bool bold) {
  const std::lock_guard guard(FontFileLock());
  static std::map<std::pair<std::string, bool>, std::string> found;
  const std::string family = SubstituteFontFace(face);
  const auto key = std::make_pair(family, bold);
  if (const auto cached = found.find(key); cached != found.end()) return cached->second;
  std::string file;
  if (FcInit() == FcTrue) {
    FcPattern* pattern = FcPatternCreate();
    // A name with characters fontconfig reads as syntax (':' '-' ',') is given as a
    // plain family value, never parsed.
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.empty() ? "sans-serif" : family.c_str()));
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>("sans-serif"));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    if (FcPattern* match = FcFontMatch(nullptr, pattern, &result)) {
      FcChar8* path = nullptr;
      if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path != nullptr) {
        file = reinterpret_cast<const char*>(path);
      }
      FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
  }
  // A few faces in a run; a template naming ever new ones must not grow this forever.
  if (found.size() >= kMaxCachedFaces) found.clear();
  found[key] = file;
  return file;
}

struct TTextFont::Face {
  TTF_Font* Font = nullptr;
  ~Face() {
    if (Font != nullptr) TTF_CloseFont(Font);
  }
};

TTextFont::TTextFont(std::unique_ptr<Face> face, bool underline) : face_(std::move(face)), underline_(underline) {}
TTextFont::~TTextFont() = default;

std::unique_ptr<TTextFont> TTextFont::Open(std::string_view face, int height, int weight, bool underline) {
  if (!TtfReady()) return nullptr;
  const bool bold = weight >= 600;
  const std::string file = FindFontFile(face, bold);
  if (file.empty()) return nullptr;
  // Sizes are held within 1 .. 256 pixels: larger glyphs suit no dialog and would only
  // cost time to rasterise.
  const int pixels = std::clamp(height == 0 ? 13 : (height < 0 ? -height : height), 1, kMaxFontPixels);
  auto opened = std::make_unique<Face>();
  opened->Font = TTF_OpenFont(file.c_str(), pixels);  // at 72 dpi one point is one pixel
  if (opened->Font == nullptr) return nullptr;
  if (height > 0) {
    // A cell height: scale the em so that ascent + descent come to it.
    const int cell = TTF_FontHeight(opened->Font);
    if (cell > 0 && cell != pixels) {
      const int em = std::max(1, MulDiv(pixels, pixels, cell));
      TTF_SetFontSize(opened->Font, em);
    }
  }
  TTF_SetFontKerning(opened->Font, 0);
  TTF_SetFontHinting(opened->Font, TTF_HINTING_NORMAL);
  int style = TTF_STYLE_NORMAL;
  if (bold && file.find("Bold") == std::string::npos) style |= TTF_STYLE_BOLD;  // no bold file: emboldened
  if (underline) style |= TTF_STYLE_UNDERLINE;
  TTF_SetFontStyle(opened->Font, style);
  return std::unique_ptr<TTextFont>(new TTextFont(std::move(opened), underline));
}

int TTextFont::Height() const { return TTF_FontHeight(face_->Font); }

int TTextFont::TextWidth(std::string_view utf8) const {
  if (utf8.empty()) return 0;
  const std::string text(utf8);
  int width = 0;
  int height = 0;
  if (TTF_SizeUTF8(face_->Font, text.c_str(), &width, &height) != 0) return 0;
  return width;
}

DialogBaseUnits TTextFont::BaseUnits() const {
  const int letters = TextWidth("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  return DialogBaseUnits{(letters / 26 + 1) / 2, Height()};
}

void TTextFont::Draw(TBitmap& picture, int x, int y, std::string_view utf8, TColor color, const Rect& clip) const {
  if (utf8.empty() || picture.Format() != PixelFormat::Bits32) return;
  const std::string text(utf8);
  const SDL_Color ink{GetRValue(color), GetGValue(color), GetBValue(color), 255};
  SDL_Surface* rendered = TTF_RenderUTF8_Blended(face_->Font, text.c_str(), ink);
  if (rendered == nullptr) return;
  SDL_Surface* argb = SDL_ConvertSurfaceFormat(rendered, SDL_PIXELFORMAT_ARGB8888, 0);
  SDL_FreeSurface(rendered);
  if (argb == nullptr) return;
  const int left = std::max({clip.Left, x, 0});
  const int top = std::max({clip.Top, y, 0});
  const int right = std::min({clip.Right, x + argb->w, picture.Width()});
  const int bottom = std::min({clip.Bottom, y + argb->h, picture.Height()});
  SDL_LockSurface(argb);
  for (int row = top; row < bottom; ++row) {
    const auto* source = reinterpret_cast<const std::uint32_t*>(static_cast<const std::uint8_t*>(argb->pixels) +
                                                                 static_cast<std::ptrdiff_t>(row - y) * argb->pitch);
    std::uint8_t* target = picture.ScanLine(row);
    for (int column = left; column < right; ++column) {
      const std::uint32_t pixel = source[column - x];
      const std::uint32_t alpha = pixel >> 24;
      if (alpha == 0) continue;
      std::uint8_t* out = target + static_cast<std::ptrdiff_t>(column) * 4;  // blue, green, red, unused
      const std::uint32_t channels[3] = {pixel & 0xFF, (pixel >> 8) & 0xFF, (pixel >> 16) & 0xFF};
      for (int c = 0; c < 3; ++c) {
        out[c] = static_cast<std::uint8_t>((channels[c] * alpha + out[c] * (255 - alpha) + 127) / 255);
      }
    }
  }
  SDL_UnlockSurface(argb);
  SDL_FreeSurface(argb);
}

DialogBaseUnits MeasureDialogBaseUnits(std::string_view face, int point_size, int dpi) {
  const auto font = TTextFont::Open(face, -MulDiv(point_size, dpi, 72), 400, false);
  if (!font) return DialogBaseUnits{MulDiv(6, dpi, 96), MulDiv(13, dpi, 96)};
  return font->BaseUnits();
}

}  // namespace velquora
