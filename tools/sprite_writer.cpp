#include "sprite_writer.h"

namespace velquora {

void WriteSpriteRecord(TStream& /*stream*/, const SpriteSpec& /*sprite*/, int /*version*/) {}
void WriteFrameRecord(TStream& /*stream*/, const FrameSpec& /*frame*/, int /*version*/) {}
void WriteMovingRecord(TStream& /*stream*/, const MovingSpec& /*moving*/, int /*version*/) {}
void WriteMovingStepRecord(TStream& /*stream*/, const StepSpec& /*step*/, int /*version*/) {}
std::vector<std::uint8_t> MakeTestBmp(std::int32_t /*width*/, std::int32_t /*height*/, std::uint32_t /*seed*/) { return {}; }

}  // namespace velquora
