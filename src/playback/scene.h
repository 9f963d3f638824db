#pragma once
// TVelquoraScene: the one object that holds a loaded scene and plays it.
#include <cstdint>
#include <string>

#include "core/ansi_text.h"
#include "core/stream.h"
#include "platform/win/window_handle.h"

namespace velquora {

// The newest of the scene signatures; a fresh scene reports it.
inline constexpr const char* kNewestSceneSignature = "Velquora Scene v.5.2";

class TVelquoraScene {
public:
  TVelquoraScene();
  virtual ~TVelquoraScene();
  TVelquoraScene(const TVelquoraScene&) = delete;
  TVelquoraScene& operator=(const TVelquoraScene&) = delete;

  // Reads the scene record stream.
  virtual void ReadFromStream(TStream& stream);
  // Reads the scene container from the stream's position and fills the scene; never
  // throws: a failure is reported once and recorded in LoadFailed.
  virtual void LoadFromStream(TStream& stream);
  // Builds the background and readies every sprite's path; called after a load.
  void Prepare();

  bool LoadFailed = false;                          // the last load failed
  std::int32_t FileVersion = 16;                    // version index of the last load
  AnsiString SignatureText = kNewestSceneSignature;  // signature of the last load
  WindowHandle OwnerWindow = kNoWindow;             // owner of message boxes, target window
  bool LoadSprites = true;                          // false: the reader skips the sprite list
  std::int32_t ScreenWidth = 640;                   // playing area, pixels
  std::int32_t ScreenHeight = 480;
  std::int32_t StreamSize = 0;                      // size of the record stream, bytes
};

}  // namespace velquora
