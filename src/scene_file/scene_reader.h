#pragma once
// The scene record stream: the scene's fields, its sprites and its audio playlist.

namespace velquora {

class TStream;
class TVelquoraScene;

// Reads the scene record stream from the stream's position into the scene; raises on
// any failure, keeping what was read before it.
void ReadSceneRecords(TVelquoraScene& scene, TStream& stream);

}  // namespace velquora
