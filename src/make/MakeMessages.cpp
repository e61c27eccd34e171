#include "make/MakeMessages.h"

namespace varnel {

std::string CouldNotCreateMessage(const std::string& outputPath, int32_t trackNumber) {
  return "Exporting Failure.\nCould not create \"" + outputPath + "\" for track" +
         std::to_string(trackNumber);
}

std::string CompletelySilenceMessage(const std::string& path) {
  return "Exporting Failure.\n\"" + path +
         "\" is completely silence. Uncheck the cutting silence options.";
}

std::string PreGapSilenceMessage(const std::string& path) {
  return "Exporting Failure.\nPreGap data of \"" + path +
         "\" is completely silence. Uncheck the cutting silence options.";
}

std::string TrackSilenceMessage(const std::string& path) {
  return "Exporting Failure.\nTrack data of \"" + path +
         "\" is completely silence. Uncheck the cutting silence options.";
}

std::string CueCouldNotCreateMessage(const std::string& cuePath) {
  return "Exporting Failure.\nCould not create\"" + cuePath + "\".";
}

std::string UnquotablePathMessage(const std::string& path) {
  return "Exporting Failure.\n\"" + path +
         "\" cannot be named in a cue sheet: the name holds a double quote or a line break.";
}

std::string CueNameMessage(const std::string& cuePath) {
  return "Exporting Failure.\n\"" + cuePath +
         "\" cannot be used: the made files go into a folder named after the cue file, and "
         "its name needs more than \".\" or \"..\" before the extension.";
}

std::string FolderInUseMessage(const std::string& folder) {
  return "Exporting Failure.\nAnother run is making files in \"" + folder +
         "\". Try again when it has ended.";
}

std::string CdTextFileMessage(const std::string& cdtPath) {
  return "Exporting Failure.\nThe CD-Text file \"" + cdtPath +
         "\" cannot be used: it is not CD-Text that a TOC file for cdrdao can carry.";
}

std::string TypedCdTextMessage(const std::string& reason) {
  return "Exporting Failure.\nThe typed CD-Text cannot be written: " + reason + ".";
}

}  // namespace varnel
