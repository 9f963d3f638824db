#include "playback/scene.h"

namespace velquora {

void TVelquoraScene::ReadFromStream(TStream& /*stream*/) {}

}  // namespace velquora
