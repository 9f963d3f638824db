#include "scene_file/read_version.h"

namespace velquora {

namespace {
std::int32_t g_read_version = kNewestReadVersion;
}  // namespace

std::int32_t ReadVersion() { return g_read_version; }
void SetReadVersion(std::int32_t version) { g_read_version = version; }

}  // namespace velquora
