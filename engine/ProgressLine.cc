#include "engine/ProgressLine.h"

std::string CProgressLine::Text(size_t done, size_t total) {
  return "ipv6disco: " + std::to_string(done) + "/" + std::to_string(total) + " NEs done, " +
         std::to_string(total - done) + " under way";
}

void CProgressLine::Update(size_t done, size_t total) {
  if (!m_Enabled || m_Out == nullptr) return;
  if (done > total || total - done < 2) {
    Finish();
    return;
  }
  std::string text = Text(done, total);
  if (m_Shown && text == m_Last) return;
  // Carriage return, the text, then erase to the end of the line.
  std::fprintf(m_Out, "\r%s\033[K", text.c_str());
  std::fflush(m_Out);
  m_Shown = true;
  m_Last = text;
}

void CProgressLine::Finish() {
  if (!m_Shown) return;
  std::fputs("\r\033[K", m_Out);
  std::fflush(m_Out);
  m_Shown = false;
  m_Last.clear();
}
