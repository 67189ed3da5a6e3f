#include "engine/OptionNumbers.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

bool DEParseOptionNumber(const std::string& text, long low, long high, long* value) {
  if (text.empty() || text.size() > 9) return false;
  for (char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  }
  *value = std::strtol(text.c_str(), nullptr, 10);
  return *value >= low && *value <= high;
}

bool DEParseOptionSeconds(const std::string& text, int* ms) {
  if (text.empty() || text.size() > 12) return false;
  int dots = 0;
  for (char c : text) {
    if (c == '.') {
      ++dots;
    } else if (!std::isdigit(static_cast<unsigned char>(c))) {
      return false;
    }
  }
  if (dots > 1 || text == ".") return false;
  const double seconds = std::strtod(text.c_str(), nullptr);
  const double rounded = std::round(seconds * 1000.0);
  if (rounded < 1.0 || rounded > 3600.0 * 1000.0) return false;
  *ms = static_cast<int>(rounded);
  return true;
}
