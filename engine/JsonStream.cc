#include "engine/JsonStream.h"

namespace {

using Json = nlohmann::ordered_json;

std::string Dump(const Json& value) { return value.dump(2, ' ', false, Json::error_handler_t::replace); }

}  // namespace

CJsonStream& CJsonStream::Key(const std::string& key) {
  m_Key = key;
  return *this;
}

void CJsonStream::Next() {
  if (m_Levels.empty()) return;
  Level& level = m_Levels.back();
  m_Out << (level.empty ? "\n" : ",\n") << std::string(2 * m_Levels.size(), ' ');
  level.empty = false;
  if (level.close == '}') m_Out << Dump(Json(m_Key)) << ": ";
}

void CJsonStream::Open(char bracket) {
  Next();
  m_Out << bracket;
  m_Levels.push_back({bracket == '{' ? '}' : ']', true});
}

void CJsonStream::Close() {
  const Level level = m_Levels.back();
  m_Levels.pop_back();
  if (!level.empty) m_Out << '\n' << std::string(2 * m_Levels.size(), ' ');
  m_Out << level.close;
  if (m_Levels.empty()) m_Out << '\n';
}

void CJsonStream::Value(const Json& value) {
  Next();
  // A dumped value's line breaks are its own (texts escape theirs): each
  // line after the first takes the depth's indentation.
  const std::string indent(2 * m_Levels.size(), ' ');
  const std::string text = Dump(value);
  size_t from = 0;
  for (size_t at; (at = text.find('\n', from)) != std::string::npos; from = at + 1) {
    m_Out.write(text.data() + from, static_cast<std::streamsize>(at + 1 - from));
    m_Out << indent;
  }
  m_Out.write(text.data() + from, static_cast<std::streamsize>(text.size() - from));
  if (m_Levels.empty()) m_Out << '\n';
}
