#include "engine/JsonStream.h"

namespace {

using Json = nlohmann::ordered_json;

std::string Dump(const Json& value, bool compact) {
  return value.dump(compact ? -1 : 2, ' ', false, Json::error_handler_t::replace);
}

}  // namespace

CJsonStream& CJsonStream::Key(std::string_view key) {
  m_Key.assign(key.data(), key.size());
  return *this;
}

void CJsonStream::Indent(size_t depth) {
  if (m_Spaces.size() < 2 * depth) m_Spaces.resize(2 * depth, ' ');
  m_Out.write(m_Spaces.data(), static_cast<std::streamsize>(2 * depth));
}

void CJsonStream::WriteString(std::string_view text) {
  // Printable ASCII other than '"' and '\\' stands as it is; anything else
  // takes nlohmann's escaping, so that the bytes are the same either way.
  for (char c : text) {
    if (c < 0x20 || c > 0x7e || c == '"' || c == '\\') {
      m_Out << Dump(Json(std::string(text)), true);
      return;
    }
  }
  m_Out.put('"');
  m_Out.write(text.data(), static_cast<std::streamsize>(text.size()));
  m_Out.put('"');
}

void CJsonStream::Next() {
  if (m_Levels.empty()) return;
  Level& level = m_Levels.back();
  if (m_Compact) {
    if (!level.empty) m_Out << ',';
  } else {
    m_Out << (level.empty ? "\n" : ",\n");
    Indent(m_Levels.size());
  }
  level.empty = false;
  if (level.close == '}') {
    WriteString(m_Key);
    m_Out << (m_Compact ? ":" : ": ");
  }
}

void CJsonStream::Open(char bracket) {
  Next();
  m_Out << bracket;
  m_Levels.push_back({bracket == '{' ? '}' : ']', true});
}

void CJsonStream::Close() {
  const Level level = m_Levels.back();
  m_Levels.pop_back();
  if (!level.empty && !m_Compact) {
    m_Out << '\n';
    Indent(m_Levels.size());
  }
  m_Out << level.close;
  End();
}

void CJsonStream::End() {
  if (m_Levels.empty()) m_Out << '\n';
}

void CJsonStream::Value(const Json& value) {
  Next();
  // A dumped value's line breaks are its own (texts escape theirs): each
  // line after the first takes the depth's indentation.
  const std::string text = Dump(value, m_Compact);
  size_t from = 0;
  for (size_t at; (at = text.find('\n', from)) != std::string::npos; from = at + 1) {
    m_Out.write(text.data() + from, static_cast<std::streamsize>(at + 1 - from));
    Indent(m_Levels.size());
  }
  m_Out.write(text.data() + from, static_cast<std::streamsize>(text.size() - from));
  End();
}

void CJsonStream::Text(std::string_view text) {
  Next();
  WriteString(text);
  End();
}

void CJsonStream::Int(long long value) {
  Next();
  m_Out << value;
  End();
}

void CJsonStream::Null() {
  Next();
  m_Out << "null";
  End();
}
