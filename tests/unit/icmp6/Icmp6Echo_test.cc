// The Internet checksum against RFC 1071, recognising the echo reply, and sending without a usable socket
// or destination (nothing leaves the machine here). The request itself is compared on the wire.
#include "icmp6/Icmp6Echo.h"

#include <cstring>
#include <random>
#include <vector>

#include "agent/CDiscoIPv6Agent.h"
#include "gtest/gtest.h"
#include "host/KelError.h"
#include "host/ZWPlatform.h"
#include "tests/support/TempDir.h"

namespace {

// RFC 1071 written out plainly: big-endian 16-bit words, an odd last byte as the high byte of a word,
// carries folded back, one's complement. The result is the value the two checksum bytes hold on the wire.
uint16_t ReferenceWireChecksum(const std::vector<uint8_t>& bytes) {
  uint64_t sum = 0;
  for (size_t i = 0; i < bytes.size(); i += 2)
    sum += (bytes[i] << 8) | (i + 1 < bytes.size() ? bytes[i + 1] : 0);
  while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
  return static_cast<uint16_t>(~sum);
}

// checksum() of `bytes` at an odd address (no aligned buffer needed), read as wire bytes.
uint16_t WireChecksumOf(const std::vector<uint8_t>& bytes) {
  std::vector<uint8_t> shifted(bytes.size() + 1);
  std::copy(bytes.begin(), bytes.end(), shifted.begin() + 1);
  unsigned short sum = checksum(reinterpret_cast<unsigned short*>(&shifted[1]), int(bytes.size()));
  uint8_t stored[2];
  memcpy(stored, &sum, 2);
  return static_cast<uint16_t>((stored[0] << 8) | stored[1]);
}

TEST(ChecksumTest, KnownVectorsAndRandomBuffersMatchTheReference) {
  const struct { std::vector<uint8_t> bytes; uint16_t wire; } rows[] = {
      {{0x01, 0x02}, 0xFEFD}, {{0x01}, 0xFEFF}, {{0x00, 0x01, 0xF2, 0x03, 0xF4, 0xF5, 0xF6, 0xF7}, 0x220D},
      {{0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x02}, 0xFFFD}, {{0x00, 0x00, 0x00}, 0xFFFF}, {{}, 0xFFFF},
  };  // the third is the example of RFC 1071; the fourth folds its carry twice
  for (const auto& row : rows) EXPECT_EQ(WireChecksumOf(row.bytes), row.wire) << row.bytes.size();
  std::mt19937 random(20240607);
  for (int round = 0; round < 2000; ++round) {
    std::vector<uint8_t> bytes(round < 100 ? round : random() % 3000);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
    if (round == 0) bytes.assign(300001, 0xFF);  // far more carries than a 32-bit sum holds
    ASSERT_EQ(WireChecksumOf(bytes), ReferenceWireChecksum(bytes)) << "size " << bytes.size();
  }
}

TEST(EchoMembersTest, EchoReplyIsRecognisedByTypeSizeAndIdentifier) {
  ScopedConfigDirs dirs;
  CDiscoIPv6Agent agent;
  const int pid = 0x7FFE1234;  // wider than 16 bits: only 0x1234 is compared
  const struct { const char* what; int size; uint8_t type; uint16_t identifier; int expected; } rows[] = {
      {"40-byte reply", 40, 129, 0x1234, 1}, {"8-byte reply", 8, 129, 0x1234, 1}, {"41", 41, 129, 0x1234, 0},
      {"7 bytes", 7, 129, 0x1234, 0}, {"failed receive", -1, 129, 0x1234, 0}, {"request", 40, 128, 0x1234, 0},
      {"another process's reply", 40, 129, 0x1235, 0}, {"high bits of the identifier", 40, 129, 0x7FFE, 0},
      {"no buffer", 40, 0, 0, 0},
  };
  for (const auto& row : rows) {
    std::vector<char> message(64, '#');
    message[0] = static_cast<char>(row.type);
    memcpy(message.data() + 4, &row.identifier, 2);
    EXPECT_EQ(agent.DIPv6VerifyPing(row.type ? &message[0] : nullptr, row.size, pid), row.expected)
        << row.what;
  }
}

TEST(EchoMembersTest, WithoutSocketOrDestinationNothingIsSent) {
  ScopedConfigDirs dirs;
  CDiscoIPv6Agent agent;
  KelErrorCapture errors;
  EXPECT_LT(agent.DIPv6SendPing(-1, nullptr, 42), 0);
  // Raw sockets switched off (replay): refused as for a process without the right, no ping.
  ZWSetRawSocketsAllowed(false);
  EXPECT_EQ(agent.DIPv6GetICMPv6Socket(), -1);
  EXPECT_NE(agent.DIPv6PingAddress("2001:db8::1", E_KBFalse, 1, 0), 1);
  ZWSetRawSocketsAllowed(true);
  EXPECT_TRUE(errors.Reports().empty()) << "failures are only traced";
}

}  // namespace
