#include "model/Isrc.h"

namespace varnel {

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool IsCapital(char c) {
  return c >= 'A' && c <= 'Z';
}

char Capital(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

bool IsIsrc(std::string_view text) {
  if (text.size() != 12) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (!(i < 5 ? IsCapital(text[i]) || IsDigit(text[i]) : IsDigit(text[i]))) return false;
  }
  return true;
}

bool IsIsrcIgnoringCase(std::string_view text) {
  return IsIsrc(IsrcInCapitals(text));
}

bool IsAssignedIsrc(std::string_view text) {
  return IsIsrc(text) && IsCapital(text[0]) && IsCapital(text[1]);
}

std::string IsrcInCapitals(std::string_view text) {
  std::string capitals(text);
  for (char& c : capitals) c = Capital(c);
  return capitals;
}

}  // namespace varnel
