#include "container_writer.h"

#include <algorithm>

#include "core/exceptions.h"
#include "core/memory_stream.h"
#include "lzh_encoder.h"
#include "scene_file/container.h"

namespace velquora {

namespace {
std::string SignatureOf(const ContainerSpec& spec) {
  if (spec.Signature) return *spec.Signature;
  if (spec.Version < 1 || spec.Version > static_cast<std::int32_t>(SceneSignatures.size())) {
    throw EWriteError("No signature for version " + std::to_string(spec.Version));
  }
  return std::string(SceneSignatures[static_cast<std::size_t>(spec.Version - 1)]);
}

void WritePreview(TStream& out, const ContainerSpec& spec) {
  if (!spec.Preview) return;
  WriteShortString(out, std::string(kPreviewMarker));
  WriteInt32(out, spec.PreviewLength.value_or(static_cast<std::int32_t>(spec.Preview->size())));
  out.WriteBuffer(spec.Preview->data(), spec.Preview->size());
}

void WriteBlocks(TStream& out, std::span<const std::uint8_t> records, const ContainerSpec& spec) {
  const std::vector<StoredBlockSpec> blocks = spec.Blocks ? *spec.Blocks : EncodeRecordBlocks(records, spec.BlockSize);
  WriteInt32(out, spec.BlockCount.value_or(static_cast<std::int32_t>(blocks.size())));
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

std::vector<std::uint8_t> WriteContainer(std::span<const std::uint8_t> records, const ContainerSpec& spec) {
  TMemoryStream out;
  WriteByte(out, spec.Compressed ? spec.CompressedFlag : 0);
  WriteShortString(out, SignatureOf(spec));
  WritePreview(out, spec);
  if (spec.WriteParameters.value_or(spec.Version >= kFirstVersionWithCompressorParameters)) {
    WriteInt32(out, spec.RingSize);
    WriteInt32(out, spec.LookAhead);
  }
  if (spec.Compressed) {
    WriteBlocks(out, records, spec);
  } else {
    out.WriteBuffer(records.data(), records.size());
  }
  return out.TakeBytes();
}

}  // namespace velquora
