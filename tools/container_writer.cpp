#include "container_writer.h"

#include <algorithm>

#include "core/exceptions.h"
#include "core/memory_stream.h"
#include "lzh_encoder.h"
#include "scene_file/container.h"

namespace velquora {

namespace {
std::string SignatureOf(const ContainerSpec& design) {
  if (design.Signature) return *design.Signature;
  if (design.Version < 1 || design.Version > static_cast<std::int32_t>(SceneSignatures.size())) {
    throw EWriteError("No signature for version " + std::to_string(design.Version));
  }
  return std::string(SceneSignatures[static_cast<std::size_t>(design.Version - 1)]);
}

void WritePreview(TStream& out, const ContainerSpec& design) {
  if (!design.Preview) return;
  WriteShortString(out, std::string(kPreviewMarker));
  WriteInt32(out, design.PreviewLength.value_or(static_cast<std::int32_t>(design.Preview->size())));
  out.WriteBuffer(design.Preview->data(), design.Preview->size());
}

void WriteBlocks(TStream& out, std::span<const std::uint8_t> records, const ContainerSpec& design) {
  const std::vector<StoredBlockSpec> blocks = design.Blocks ? *design.Blocks : EncodeRecordBlocks(records, design.BlockSize);
  WriteInt32(out, design.BlockCount.value_or(static_cast<std::int32_t>(blocks.size())));
  for (const StoredBlockSpec& block : blocks) {
    WriteInt32(out, block.StoredLength.value_or(static_cast<std::int32_t>(block.Bytes.size())));
    out.WriteBuffer(block.Bytes.data(), block.Bytes.size());
  }
}
}  // namespace

std::vector<StoredBlockSpec> EncodeRecordBlocks(std::span<const std::uint8_t> records, std::size_t block_size) {
  if (block_size == 0) throw EWriteError("Block size 0");
  std::vector<StoredBlockSpec> blocks;
  for (std::size_t start = 0; start < records.size(); start += block_size) {
    const auto part = records.subspan(start, std::min(block_size, records.size() - start));
    blocks.push_back({LzhEncodeBlock(part), std::nullopt});
  }
  return blocks;
}

std::vector<std::uint8_t> WriteContainer(std::span<const std::uint8_t> records, const ContainerSpec& design) {
  TMemoryStream out;
  WriteByte(out, design.Compressed ? design.CompressedFlag : 0);
  WriteShortString(out, SignatureOf(design));
  WritePreview(out, design);
  if (design.WriteParameters.value_or(design.Version >= kFirstVersionWithCompressorParameters)) {
    WriteInt32(out, design.RingSize);
    WriteInt32(out, design.LookAhead);
  }
  if (design.Compressed) {
    WriteBlocks(out, records, design);
  } else {
    out.WriteBuffer(records.data(), records.size());
  }
  return out.TakeBytes();
}

}  // namespace velquora
