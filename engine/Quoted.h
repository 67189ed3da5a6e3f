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

// `text` as valid UTF-8: each byte that does not belong to a well-formed
// sequence (RFC 3629: no overlong forms, no surrogates, nothing above
// U+10FFFF) written as \xNN; everything else, control characters included,
// as it stands. For reports meant for people (JSON has its own rule).
std::string DEValidUtf8(std::string_view text);

#endif  // ENGINE_QUOTED_H_
