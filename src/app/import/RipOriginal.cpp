#include "app/import/RipOriginal.h"

#include <cctype>
#include <cstdio>

#include "formats/sheets/RipLog.h"
#include "model/PathNames.h"
#include "model/TextTrim.h"

namespace varnel {

namespace {

bool AllOf(const std::string& text, size_t size, int (*test)(int)) {
  if (text.size() != size) return false;
  for (char c : text) {
    if (test(static_cast<unsigned char>(c)) == 0) return false;
  }
  return true;
}

int IsDiscIdChar(int c) {
  return std::isalnum(c) != 0 || c == '.' || c == '_' || c == '-';
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

void RecordOriginal(const RipSheet& sheet, const std::string& sheetPath, DiscLayout& layout) {
  layout.LeadingSilence = 0;
  if (const RipRem* rem = FindRem(sheet.Rems, "DISCID")) {
    const std::string id = Trim(rem->Value);
    if (AllOf(id, 8, isxdigit)) layout.Original.FreeDbId = Lower(id);
  }
  if (const RipRem* rem = FindRem(sheet.Rems, "MUSICBRAINZ_DISCID")) {
    const std::string id = Trim(rem->Value);
    if (AllOf(id, 28, IsDiscIdChar)) layout.Original.DiscId = id;
  }
  const RipLog log = ReadRipLogFile(WithExtension(sheetPath, ".log"));
  if (!log.Toc.empty()) layout.Original.Toc = log.Toc;
  std::string crcs;
  for (const RipLogCrc& crc : log.Crcs) {
    char entry[24];
    std::snprintf(entry, sizeof entry, "%s%02d:%08x", crcs.empty() ? "" : " ",
                  static_cast<int>(crc.Track), static_cast<unsigned>(crc.Crc32));
    crcs += entry;
  }
  layout.Original.Crcs = crcs;
}

}  // namespace varnel
