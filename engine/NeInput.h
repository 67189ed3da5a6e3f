// The NEs a run is asked for: command-line words and lines of an NE file.
// An NE is an IPv4 or IPv6 address, optionally followed by "/" and a prefix
// length (0 to 32 or 0 to 128), or a node name (letters, digits, "-", "_"
// and ".", at most 253 characters). No state; safe from any thread.
#ifndef ENGINE_NEINPUT_H_
#define ENGINE_NEINPUT_H_

#include <memory>
#include <string>
#include <vector>

#include "host/CKelRecord.h"

// "" when `text` names an NE, else why not, as a phrase that does not
// repeat `text` ("not an address or a node name", "prefix length '200' is
// not a number from 0 to 128").
std::string DECheckNe(const std::string& text);

// True when `text` (which DECheckNe accepted) names the NE by a node name
// rather than by an address (with or without "/length").
bool DENeIsName(const std::string& text);

// A new record for the NE named by `text` (which DECheckNe accepted): an
// address (with its "/length", if any) goes into "m_IpAddress", a name
// into "m_Name".
std::unique_ptr<CKelRecord> DEMakeNeRecord(const std::string& text);

// Reads an NE file: one NE a line; "#" starts a comment; blank lines are
// skipped; blanks around an NE are ignored. Appends the NEs to `nes`.
// False, with `error` set to a whole message naming the file, when the
// file cannot be read, or naming each line ("FILE:LINE: ...", one a line,
// at most the first 20) when some line is not an NE.
bool DEReadNeFile(const std::string& path, std::vector<std::string>* nes, std::string* error);

#endif  // ENGINE_NEINPUT_H_
