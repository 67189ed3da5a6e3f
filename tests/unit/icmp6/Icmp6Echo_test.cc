// Echo request building and the Internet checksum.
#include "icmp6/Icmp6Echo.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "gtest/gtest.h"

namespace {

// RFC 1071 written out plainly: big-endian 16-bit words, an odd last byte
// as the high byte of a word, carries folded back, one's complement. The
// result is the value the two checksum bytes hold on the wire.
uint16_t ReferenceWireChecksum(const std::vector<uint8_t>& bytes) {
  uint64_t sum = 0;
  for (size_t i = 0; i < bytes.size(); i += 2) {
    uint32_t high = bytes[i];
    uint32_t low = i + 1 < bytes.size() ? bytes[i + 1] : 0;
    sum += (high << 8) | low;
  }
  while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
  return static_cast<uint16_t>(~sum);
}

// checksum() of `bytes`, stored in memory order and read as wire bytes.
uint16_t WireChecksumOf(std::vector<uint8_t> bytes) {
  // One byte of offset: checksum must not need an aligned buffer.
  std::vector<uint8_t> shifted(bytes.size() + 1);
  if (!bytes.empty()) memcpy(shifted.data() + 1, bytes.data(), bytes.size());
  unsigned short sum =
      checksum(reinterpret_cast<unsigned short*>(shifted.data() + 1), static_cast<int>(bytes.size()));
  uint8_t stored[2];
  memcpy(stored, &sum, 2);
  return static_cast<uint16_t>((stored[0] << 8) | stored[1]);
}

TEST(ChecksumTest, KnownVectors) {
  struct Row {
    const char* name;
    std::vector<uint8_t> bytes;
    uint8_t wire0, wire1;  // the result stored in memory order
  } rows[] = {
      {"two bytes 01 02", {0x01, 0x02}, 0xFE, 0xFD},
      {"one byte 01", {0x01}, 0xFE, 0xFF},
      {"RFC 1071 example", {0x00, 0x01, 0xF2, 0x03, 0xF4, 0xF5, 0xF6, 0xF7}, 0x22, 0x0D},
      {"carry folded twice", {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x02}, 0xFF, 0xFD},
      {"all zero", {0x00, 0x00, 0x00}, 0xFF, 0xFF},
      {"empty", {}, 0xFF, 0xFF},
  };
  for (const Row& row : rows) {
    uint16_t wire = WireChecksumOf(row.bytes);
    EXPECT_EQ(wire >> 8, row.wire0) << row.name;
    EXPECT_EQ(wire & 0xFF, row.wire1) << row.name;
  }
}

TEST(ChecksumTest, RandomBuffersMatchTheReference) {
  std::mt19937 random(20240607);
  for (int round = 0; round < 2000; ++round) {
    size_t size = round < 100 ? static_cast<size_t>(round) : random() % 3000;
    std::vector<uint8_t> bytes(size);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
    ASSERT_EQ(WireChecksumOf(bytes), ReferenceWireChecksum(bytes)) << "size " << size
                                                                   << " round " << round;
  }
}

TEST(ChecksumTest, LargeBufferOfOnesDoesNotLoseCarries) {
  // 300000 bytes of FF: far more carries than a 32-bit sum can hold.
  std::vector<uint8_t> bytes(300001, 0xFF);
  EXPECT_EQ(WireChecksumOf(bytes), ReferenceWireChecksum(bytes));
}

TEST(ChecksumTest, MessageWithItsChecksumSumsToZero) {
  std::mt19937 random(7);
  for (int round = 0; round < 200; ++round) {
    std::vector<uint8_t> bytes(2 * (2 + random() % 40));
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
    bytes[2] = bytes[3] = 0;
    unsigned short sum =
        checksum(reinterpret_cast<unsigned short*>(bytes.data()), static_cast<int>(bytes.size()));
    memcpy(&bytes[2], &sum, 2);
    ASSERT_EQ(WireChecksumOf(bytes), 0) << "round " << round;
  }
}

TEST(InitIcmp6HeaderTest, BuildsTheEchoRequest) {
  struct Row {
    int pid;
    uint16_t identifier;
  } rows[] = {{1234, 1234}, {0x12345678, 0x5678}, {0x10000, 0}, {-1, 0xFFFF}, {0, 0}};
  for (const Row& row : rows) {
    char buf[kIcmp6EchoSize + 4];
    memset(buf, 0x55, sizeof(buf));
    EXPECT_EQ(InitIcmp6Header(buf, kIcmp6EchoDataSize, row.pid), 8) << row.pid;
    EXPECT_EQ(static_cast<uint8_t>(buf[0]), 128) << row.pid;
    EXPECT_EQ(buf[1], 0);
    EXPECT_EQ(buf[2], 0);
    EXPECT_EQ(buf[3], 0);
    uint16_t identifier;
    memcpy(&identifier, buf + 4, 2);
    EXPECT_EQ(identifier, row.identifier) << row.pid;
    EXPECT_EQ(buf[6], 0);
    EXPECT_EQ(buf[7], 0);
    EXPECT_EQ(std::string(buf + 8, 32), std::string(32, '#'));
    for (int i = kIcmp6EchoSize; i < kIcmp6EchoSize + 4; ++i) {
      EXPECT_EQ(buf[i], 0x55) << "byte " << i << " written past the message";
    }
  }
}

TEST(InitIcmp6HeaderTest, NoDataAndNegativeSizeWriteOnlyTheHeader) {
  for (int datasize : {0, -5}) {
    char buf[12];
    memset(buf, 0x55, sizeof(buf));
    EXPECT_EQ(InitIcmp6Header(buf, datasize, 7), 8);
    EXPECT_EQ(static_cast<uint8_t>(buf[0]), 128);
    EXPECT_EQ(buf[8], 0x55) << datasize;
  }
  EXPECT_EQ(InitIcmp6Header(nullptr, 32, 7), 0);
}

TEST(ComputeIcmpChecksumTest, UnusableDestinationGivesFFFF) {
  sockaddr_in v4{};
  v4.sin_family = AF_INET;
  addrinfo ipv4{};
  ipv4.ai_family = AF_INET;
  ipv4.ai_addr = reinterpret_cast<sockaddr*>(&v4);
  ipv4.ai_addrlen = sizeof(v4);
  addrinfo noAddress{};
  noAddress.ai_family = AF_INET6;

  struct Row {
    const char* name;
    addrinfo* dest;
  } rows[] = {{"null list", nullptr}, {"IPv4 entry", &ipv4}, {"entry without address", &noAddress}};
  for (const Row& row : rows) {
    char buf[kIcmp6EchoSize];
    InitIcmp6Header(buf, kIcmp6EchoDataSize, 99);
    buf[2] = 0x12;
    buf[3] = 0x34;
    ComputeIcmpChecksum(0, buf, kIcmp6EchoSize, row.dest);
    EXPECT_EQ(static_cast<uint8_t>(buf[2]), 0xFF) << row.name;
    EXPECT_EQ(static_cast<uint8_t>(buf[3]), 0xFF) << row.name;
    EXPECT_EQ(ComputeIcmp6PseudoHeaderChecksum(0, buf, kIcmp6EchoSize, row.dest), 0xFFFF)
        << row.name;
  }
}

TEST(ComputeIcmpChecksumTest, OversizedOrNegativeLengthGivesFFFF) {
  sockaddr_in6 v6{};
  v6.sin6_family = AF_INET6;
  inet_pton(AF_INET6, "::1", &v6.sin6_addr);
  addrinfo dest{};
  dest.ai_family = AF_INET6;
  dest.ai_addr = reinterpret_cast<sockaddr*>(&v6);
  dest.ai_addrlen = sizeof(v6);
  std::vector<char> big(65496, 0);
  EXPECT_EQ(ComputeIcmp6PseudoHeaderChecksum(0, big.data(), static_cast<int>(big.size()), &dest),
            0xFFFF);
  EXPECT_EQ(ComputeIcmp6PseudoHeaderChecksum(0, big.data(), -1, &dest), 0xFFFF);
  EXPECT_EQ(ComputeIcmp6PseudoHeaderChecksum(0, nullptr, 40, &dest), 0xFFFF);

  char tiny[3] = {1, 2, 3};
  ComputeIcmpChecksum(0, tiny, 3, &dest);  // too short to hold a checksum: untouched
  EXPECT_EQ(tiny[2], 3);
}

}  // namespace
