#include "playback/scene.h"

namespace velquora {

TVelquoraScene::TVelquoraScene() = default;
TVelquoraScene::~TVelquoraScene() = default;

void TVelquoraScene::Prepare() {}

}  // namespace velquora
