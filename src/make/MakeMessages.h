// The texts of the messages that fail a making run, one function each, so that the cue
// sheet writer, the per-track writers and the tests all spell a message the same way. The
// texts are the ones users know, odd spellings and spacing included.
#pragma once

#include <cstdint>
#include <string>

namespace varnel {

// "Exporting Failure.\nCould not create \"<output>\" for track<N>".
std::string CouldNotCreateMessage(const std::string& outputPath, int32_t trackNumber);
// "Exporting Failure.\n\"<path>\" is completely silence. Uncheck the cutting silence options."
std::string CompletelySilenceMessage(const std::string& path);
// The same for the pre-gap part and the track part of one file.
std::string PreGapSilenceMessage(const std::string& path);
std::string TrackSilenceMessage(const std::string& path);
// "Exporting Failure.\nCould not create\"<cue>\"." (no blank before the quote).
std::string CueCouldNotCreateMessage(const std::string& cuePath);
// A path that cannot stand between the double quotes of a FILE or CDTEXTFILE line.
std::string UnquotablePathMessage(const std::string& path);
// A cue file whose name without folder and extension is empty, "." or "..": it cannot name
// the folder of the made files.
std::string CueNameMessage(const std::string& cuePath);
// Another run holds the folder of the made files.
std::string FolderInUseMessage(const std::string& folder);
// The CD-Text file that a TOC carries cannot be read, is not valid CD-Text, or holds text
// cdrdao cannot write; the reason goes with it as the detail.
std::string CdTextFileMessage(const std::string& cdtPath);
// Typed CD-Text that does not fit the packs of one block (the encoder's reason).
std::string TypedCdTextMessage(const std::string& reason);

}  // namespace varnel
