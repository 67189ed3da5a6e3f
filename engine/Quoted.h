// Input shown back to the user inside a message: whatever the input holds
// (NUL bytes, control characters, a line of megabytes), the message stays
// one short line of text.
#ifndef ENGINE_QUOTED_H_
#define ENGINE_QUOTED_H_

#include <string>
#include <string_view>

// `text` between single quotes, each byte outside printable ASCII (and the
// backslash) written as \xNN, cut after kQuotedLength characters of the
// input with "..." marking the cut.
constexpr size_t kQuotedLength = 200;
std::string DEQuoted(std::string_view text);

#endif  // ENGINE_QUOTED_H_
