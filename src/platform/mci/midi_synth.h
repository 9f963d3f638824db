#pragma once
// MIDI through FluidSynth with a General MIDI sound font: the file plays on FluidSynth's
// own MIDI player, timed by the samples rendered, so the music comes out the same
// whatever the machine's load.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

#include "platform/mci/pcm_source.h"

namespace velquora::mci {

// The largest General MIDI sound font installed (a fuller one than the small default
// when there is one); empty when there is none.
std::filesystem::path FindSoundFont();

// Renders `smf` (a standard MIDI file) for exactly `length_ms` milliseconds. Raises
// ESoundFile (MCIERR_CANNOT_LOAD_DRIVER) when no synthesiser can be made. Synthesisers
// with their sound font loaded are kept for the next file.
std::unique_ptr<PcmSource> OpenMidiSynth(std::shared_ptr<const std::vector<std::uint8_t>> smf, std::uint32_t length_ms);

}  // namespace velquora::mci
