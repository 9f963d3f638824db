#pragma once
// The fonts of dialogs: a face name as a dialog template or CreateFont names it, found
// through fontconfig, and the dialog base units that lay a dialog out in that font.
// Needs no display: a tool can map dialog units to pixels without one.
#include <memory>
#include <string>
#include <string_view>

#include "core/geometry.h"
#include "platform/gdi/bitmap.h"

namespace velquora {

// Dialog base units in pixels: the average width of the letters "A".."Z" and "a".."z"
// as the classic rule rounds it ((width of the 52 letters / 26 + 1) / 2) and the
// font's height.
struct DialogBaseUnits {
  int X = 0;
  int Y = 0;
  friend bool operator==(const DialogBaseUnits&, const DialogBaseUnits&) = default;
};

// The face that stands in for a face name: the classic Windows user-interface faces
// ("MS Sans Serif", "MS Shell Dlg", "MS Shell Dlg 2", "Microsoft Sans Serif", "System",
// "Tahoma", "Arial", "Helvetica") become "Liberation Sans", the serif ones ("MS Serif",
// "Times New Roman", "Times") "Liberation Serif", the fixed ones ("Courier",
// "Courier New", "Fixedsys", "Terminal") "Liberation Mono"; any other name is kept and
// left to fontconfig, whose best match for a missing face is its default sans-serif.
std::string SubstituteFontFace(std::string_view face);

// The font file fontconfig chooses for a face (after the substitution above), regular
// or bold, upright; "" when fontconfig finds no scalable font at all.
std::string FindFontFile(std::string_view face, bool bold);

// The base units of the face at point_size points on a display of dpi dots per inch
// (the character height is MulDiv(point_size, dpi, 72) pixels, as a dialog template's
// font is made). When no font can be opened the units are those of the system font
// scaled to the resolution: MulDiv(6, dpi, 96) by MulDiv(13, dpi, 96).
DialogBaseUnits MeasureDialogBaseUnits(std::string_view face, int point_size, int dpi);

// An opened font that measures and draws UTF-8 text (through SDL2_ttf; no display
// needed). Kerning is off, as the classic text functions measure without it.
class TTextFont {
public:
  // height as CreateFont takes it: negative = character (em) height in pixels,
  // positive = cell height, either held within 1 .. 256 pixels; weight >= 600 is bold.
  // nullptr when no font file opens.
  static std::unique_ptr<TTextFont> Open(std::string_view face, int height, int weight, bool underline);
  ~TTextFont();
  TTextFont(const TTextFont&) = delete;
  TTextFont& operator=(const TTextFont&) = delete;

  int Height() const;  // the cell height: ascent + descent
  int TextWidth(std::string_view utf8) const;
  bool Underline() const { return underline_; }
  DialogBaseUnits BaseUnits() const;
  // Draws the text with its cell's top left at (x, y), blended onto the picture,
  // clipped to clip.
  void Draw(TBitmap& picture, int x, int y, std::string_view utf8, TColor color, const Rect& clip) const;

private:
  struct Face;
  TTextFont(std::unique_ptr<Face> face, bool underline);
  std::unique_ptr<Face> face_;
  bool underline_ = false;
};

}  // namespace velquora
