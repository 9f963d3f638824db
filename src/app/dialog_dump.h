#pragma once
// The --dump-dialog tool mode: the settings or about dialog of a saver file's scene as
// its template is built, one JSON object: the measured scale, the header, every item in
// dialog units and in pixels of the dialog's client area, and the template's bytes.
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <span>
#include <string>
#include <string_view>

#include "core/geometry.h"
#include "core/json_writer.h"
#include "host/dialog_layout.h"

namespace velquora {

enum class DumpedDialog { Settings, About };

// A rectangle in dialog units to pixels of the dialog's client area (MapDialogRect).
using DialogUnitsToPixels = std::function<Rect(const Rect&)>;

// Writes the object: layout as built with scale, pixels as to_pixels maps them,
// template the layout's bytes.
void WriteDialogJson(JsonWriter& json, const DialogLayout& layout, const DialogScale& scale,
                     const DialogUnitsToPixels& to_pixels, std::span<const std::uint8_t> template_bytes);

// Loads the saver file's scene (without sprites), measures and builds the dialog with
// the window system's dialogs on a back end without a display at dpi dots per inch,
// writes the object and a newline to out. Returns the exit status: 0, or 1 when the
// scene did not load.
int RunDialogDump(const std::string& saver_path, DumpedDialog which, int dpi, std::ostream& out);

}  // namespace velquora
