#pragma once
// Test support: a media control interface in memory for the player and the playlist.
// Files are known by name with a length in time units; time is whatever the test sets
// `now` to (a tick count, say). A device plays from its position at the moment of MCI_PLAY
// until its length, one unit per unit of time, and reports the modes a real one does.
// Every command is logged; commands can be made to fail or to raise.
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "media/media_player.h"
#include "platform/mci/mci.h"

namespace velquora {

class ScriptedMci {
public:
  struct Command {
    mci::DeviceId device = 0;
    std::uint32_t message = 0;
    std::uint32_t flags = 0;
    std::string device_type;  // MCI_OPEN
    std::string element;      // MCI_OPEN
    std::uint32_t value = 0;  // MCI_STATUS: the item; MCI_SET: the time format
  };

  // Commands of this player go here; the ScriptedMci must outlive the player.
  MciCommandSender Sender() {
    return [this](mci::DeviceId device, std::uint32_t message, std::uint32_t flags, void* parms) {
      return Send(device, message, flags, parms);
    };
  }

  mci::Result Send(mci::DeviceId device, std::uint32_t message, std::uint32_t flags, void* parms) {
    Command command;
    command.device = device;
    command.message = message;
    command.flags = flags;
    if (message == mci::MCI_OPEN && parms != nullptr) {
      const auto& open = *static_cast<mci::OpenParms*>(parms);
      command.device_type = open.DeviceType;
      command.element = open.ElementName;
    }
    if (message == mci::MCI_STATUS && parms != nullptr) command.value = static_cast<mci::StatusParms*>(parms)->Item;
    if (message == mci::MCI_SET && parms != nullptr) command.value = static_cast<mci::SetParms*>(parms)->TimeFormat;
    log.push_back(command);
    if (raise.count(message) != 0) throw std::runtime_error("scripted failure");
    if (const auto refused = refuse.find(message); refused != refuse.end()) return refused->second;
    if (parms == nullptr) return mci::MCIERR_NULL_PARAMETER_BLOCK;
    if (message == mci::MCI_OPEN) return Open(*static_cast<mci::OpenParms*>(parms));
    const auto found = devices_.find(device);
    if (found == devices_.end()) return mci::MCIERR_INVALID_DEVICE_ID;
    Device& open = found->second;
    switch (message) {
      case mci::MCI_CLOSE:
        devices_.erase(found);
        return 0;
      case mci::MCI_PLAY:
        open.position = Position(open);
        open.playing_since = now;
        return 0;
      case mci::MCI_STOP:
        open.position = Position(open);
        open.playing_since.reset();
        return 0;
      case mci::MCI_SEEK:
        open.position = 0;
        open.playing_since.reset();
        return 0;
      case mci::MCI_SET:
        return 0;
      case mci::MCI_STATUS:
        return Status(open, *static_cast<mci::StatusParms*>(parms));
      default:
        return mci::MCIERR_UNRECOGNIZED_COMMAND;
    }
  }

  // The file that an open device is playing now; "" when none plays.
  std::string Playing() const {
    for (const auto& [id, device] : devices_) {
      if (device.playing_since && Position(device) < device.length) return device.file;
    }
    return "";
  }
  std::size_t OpenDevices() const { return devices_.size(); }
  // Places the open device's position (as if it had played so far) and stops it there.
  void SetPosition(mci::DeviceId device, std::uint32_t position) {
    devices_.at(device).position = position;
    devices_.at(device).playing_since.reset();
  }
  int Count(std::uint32_t message) const {
    int count = 0;
    for (const Command& command : log) count += command.message == message ? 1 : 0;
    return count;
  }
  // The log without status queries.
  std::vector<Command> Actions() const {
    std::vector<Command> actions;
    for (const Command& command : log) {
      if (command.message != mci::MCI_STATUS) actions.push_back(command);
    }
    return actions;
  }

  std::map<std::string, std::uint32_t> files;                 // known files and their lengths
  std::uint32_t now = 0;                                       // the current time
  std::map<std::uint32_t, mci::Result> refuse;                 // messages answered with an error
  std::set<std::uint32_t> raise;                               // messages that raise instead
  std::vector<Command> log;                                    // every command, in order

private:
  struct Device {
    std::string file;
    std::uint32_t length = 0;
    std::uint32_t position = 0;                  // where it stood when it last started or stopped
    std::optional<std::uint32_t> playing_since;  // set while it plays
  };

  std::uint32_t Position(const Device& device) const {
    if (!device.playing_since) return device.position;
    const std::uint32_t played = device.position + (now - *device.playing_since);
    return played < device.length ? played : device.length;
  }

  mci::Result Open(mci::OpenParms& parms) {
    if (files.count(parms.ElementName) == 0) return mci::MCIERR_FILE_NOT_FOUND;
    parms.DeviceID = next_id_++;
    Device& device = devices_[parms.DeviceID];
    device.file = parms.ElementName;
    device.length = files.at(parms.ElementName);
    return 0;
  }

  mci::Result Status(const Device& device, mci::StatusParms& parms) const {
    switch (parms.Item) {
      case mci::MCI_STATUS_LENGTH:
        parms.Return = device.length;
        return 0;
      case mci::MCI_STATUS_POSITION:
        parms.Return = Position(device);
        return 0;
      case mci::MCI_STATUS_MODE:
        parms.Return = device.playing_since && Position(device) < device.length ? mci::MCI_MODE_PLAY : mci::MCI_MODE_STOP;
        return 0;
      default:
        return mci::MCIERR_UNSUPPORTED_FUNCTION;
    }
  }

  std::map<mci::DeviceId, Device> devices_;
  mci::DeviceId next_id_ = 1;
};

}  // namespace velquora
