// A scripted preview device for tests: records every command as a line of text and
// answers Open and Play from flags.
#pragma once

#include <string>
#include <vector>

#include "app/ports/PreviewDevice.h"

namespace varnel::test {

class FakePreviewDevice : public PreviewDevice {
 public:
  // "Open <path>", "Play <position>", "Stop", "Close", in order.
  std::vector<std::string> Log;
  bool OpenResult = true;
  bool PlayResult = true;
  // What PlayedPosition and OpenFailure answer.
  int32_t Heard = -1;
  std::string Failure;

  bool Open(const std::string& path) override {
    Log.push_back("Open " + path);
    return OpenResult;
  }
  bool Play(int32_t position) override {
    Log.push_back("Play " + std::to_string(position));
    return PlayResult;
  }
  void Stop() override { Log.push_back("Stop"); }
  void Close() override { Log.push_back("Close"); }
  int32_t PlayedPosition() const override { return Heard; }
  std::string OpenFailure() const override { return Failure; }
};

}  // namespace varnel::test
