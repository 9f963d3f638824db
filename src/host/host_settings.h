#pragma once
// The host's view of the saver's stored settings: the flag that skips the integrity
// check, the read at the end of the scene load step and the save after a run or the
// settings dialog. The settings store implements it; until one is installed the host
// uses NoStoredSettings: nothing is stored, so the check always runs.
#include "host/host_state.h"

namespace velquora {

class HostSettings {
public:
  virtual ~HostSettings() = default;
  // "CRC Checked" of this saver: true skips the integrity check.
  virtual bool CrcChecked(const HostState& host) = 0;
  // Reads the stored frame period and sound switch into host.Scene.
  virtual void Read(HostState& host) = 0;
  // Stores what host.Mode calls for (nothing in Program, Show and SettingsNoSave).
  virtual void Save(HostState& host) = 0;
};

class NoStoredSettings : public HostSettings {
public:
  bool CrcChecked(const HostState& /*host*/) override { return false; }
  void Read(HostState& /*host*/) override {}
  void Save(HostState& /*host*/) override {}
};

}  // namespace velquora
