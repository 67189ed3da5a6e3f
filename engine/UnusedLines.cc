#include "engine/UnusedLines.h"

std::string DEUnusedLinesText(const std::string& path, const std::vector<ZWUnusedLine>& lines) {
  std::string text;
  for (size_t i = 0; i < lines.size() && i < kToldUnusedLines; ++i) {
    text += path + ":" + std::to_string(lines[i].line) + ": " + lines[i].why + "\n";
  }
  if (lines.size() > kToldUnusedLines) {
    const size_t more = lines.size() - kToldUnusedLines;
    text += path + ": " + std::to_string(more) + " more line" + (more == 1 ? "" : "s") + " not used\n";
  }
  return text;
}
