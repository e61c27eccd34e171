// Trimming of text read from a layout: blanks and control characters (every byte up to and
// including the space) removed from both ends. Bytes above 0x7F are kept, whatever encoding
// they belong to.
#pragma once

#include <string>

namespace varnel {

inline std::string Trim(const std::string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ') ++begin;
  while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;
  return text.substr(begin, end - begin);
}

}  // namespace varnel
