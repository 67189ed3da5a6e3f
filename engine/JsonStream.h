// Writes one JSON document piece by piece, exactly as nlohmann's
// dump(2) of the whole document would, so that a report never holds more
// than one member or element in memory: objects and arrays are opened and
// closed around their contents, and scalars, or whole values (small ones,
// built as nlohmann::ordered_json), are written in between. Text bytes that
// are not UTF-8 are written as U+FFFD. A compact stream writes as dump()
// does instead: the whole document on one line. Not thread-safe; one
// document per stream.
#ifndef ENGINE_JSONSTREAM_H_
#define ENGINE_JSONSTREAM_H_

#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

class CJsonStream {
 public:
  explicit CJsonStream(std::ostream& out, bool compact = false) : m_Out(out), m_Compact(compact) {}
  CJsonStream(const CJsonStream&) = delete;
  CJsonStream& operator=(const CJsonStream&) = delete;

  // The key of the next member; only inside an object, before Open or Value.
  CJsonStream& Key(std::string_view key);
  // Opens an object ('{') or array ('[') as the next member or element (or
  // as the document).
  void Open(char bracket);
  // Closes what the last unclosed Open opened; closing the document ends
  // it with a line break.
  void Close();
  // Writes `value` whole as the next member or element.
  void Value(const nlohmann::ordered_json& value);
  // Scalars written without building a value first: a report has millions.
  void Text(std::string_view text);
  void Int(long long value);
  void Null();

 private:
  // What comes before a member or element: separator, line break,
  // indentation and the member's key.
  void Next();
  // `text` quoted and escaped.
  void WriteString(std::string_view text);
  void Indent(size_t depth);
  // After a whole value: the document's closing line break when it ends.
  void End();

  struct Level {
    char close;
    bool empty;
  };
  std::ostream& m_Out;
  const bool m_Compact;
  std::vector<Level> m_Levels;
  std::string m_Key;
  std::string m_Spaces;
};

#endif  // ENGINE_JSONSTREAM_H_
