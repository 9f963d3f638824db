#pragma once
// The scene dump of the --dump-scene tool mode: the integrity facts of a saver file and
// what its scene holds, as one JSON object.
#include <iosfwd>
#include <string>

#include "core/json_writer.h"
#include "host/saver_checksum.h"
#include "platform/system/display_info.h"
#include "playback/scene.h"

namespace velquora {

// The scene's fields, one after another, and the checksum facts.
void WriteSceneJson(JsonWriter& json, const TVelquoraScene& scene, const SaverFileChecksum& checksum);

// Computes the saver file's checksum without asking anything, loads its scene with the
// given screen size and writes the JSON object and a newline to out. Returns the exit
// status: 0 when the scene loaded, 1 when it did not.
int RunSceneDump(const std::string& saver_path, ScreenSize screen, std::ostream& out);

}  // namespace velquora
