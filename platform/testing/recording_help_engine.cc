#include "platform/testing/recording_help_engine.h"

namespace tarnel {

RecordingHelpEngine::RecordingHelpEngine() = default;

RecordingHelpEngine::~RecordingHelpEngine() = default;

void RecordingHelpEngine::Command(WindowHandle owner,
                                  const std::string& help_file,
                                  unsigned command,
                                  const std::string& keyword) {
  commands.push_back({owner, help_file, command, keyword});
}

}  // namespace tarnel
