// varnel-cli check FILE...: one TAB-separated line per file with the check's kind, result
// and summary; exit 0 only when every file is accepted.
#include <CLI/CLI.hpp>
#include <climits>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/commands/InputCheck.h"
#include "cli/CliCommands.h"
#include "cli/CliPrompter.h"

namespace varnel::cli {

namespace {

// A summary field the check did not fill prints as "-": the fields start out holding a value
// no check writes, and whatever still holds it was not filled.
constexpr int32_t kUnfilled = INT32_MIN;

std::string CheckLine(const std::string& path, bool& accepted) {
  WaveDataInfo info{kUnfilled, kUnfilled, kUnfilled, kUnfilled, kUnfilled};
  const FileCheckReport report = CheckFileQuietly(path, info);
  // A decoded source's refusal says why on stderr.
  if (!report.Reason.empty()) std::cerr << "\"" << path << "\"" << report.Reason << '\n';
  const int32_t result = report.Result;
  const std::string& kind = report.Kind;
  accepted = result == 1;
  auto field = [](int64_t v) { return v == kUnfilled ? std::string("-") : std::to_string(v); };
  std::string line = kind;
  line += '\t' + std::to_string(result);
  line += '\t' + field(info.DataOffset);
  line += '\t' + field(info.DataSize);
  line += '\t' + field(info.Channels);
  line += '\t' + field(info.BitsPerSample);
  line += '\t' + field(info.SampleRate);
  line += '\t' + path;
  return line;
}

}  // namespace

void RegisterCheck(CLI::App& app, RunAction& run) {
  auto files = std::make_shared<std::vector<std::string>>();
  CLI::App* sub = app.add_subcommand(
      "check", "Check audio files as adding them to the track list does (kind from the extension)");
  sub->add_option("FILE", *files,
                  "wave (.wav), MP3 (.mp3), CD+G, FLAC (.flac), AIFF (.aif, .aiff), Ogg Vorbis "
                  "(.ogg, .oga) or Opus (.opus) files; the last four are decoded into the cache")
      ->required();
  sub->callback([&run, files] {
    run = [files] {
      bool all = true;
      for (const std::string& path : *files) {
        bool accepted = false;
        std::cout << CheckLine(path, accepted) << '\n';
        all = all && accepted;
      }
      std::cout.flush();
      return all ? kExitOk : kExitFailed;
    };
  });
}

}  // namespace varnel::cli
