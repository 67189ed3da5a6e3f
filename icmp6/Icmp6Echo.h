// ICMPv6 echo requests (RFC 4443): building the message and its checksum.
//
// Free functions without state: any number of threads may use them at
// once. None of them traces. The members of CDiscoIPv6Agent that open the
// raw socket, send and verify build on these.
#ifndef ICMP6_ICMP6ECHO_H_
#define ICMP6_ICMP6ECHO_H_

#include <netdb.h>

// Sizes of the agent's echo request.
constexpr int kIcmp6HeaderSize = 8;
constexpr int kIcmp6EchoDataSize = 32;
constexpr int kIcmp6EchoSize = kIcmp6HeaderSize + kIcmp6EchoDataSize;  // 40

// Writes an echo request header at the start of `buf` (type 128, code 0,
// checksum 0, identifier = low 16 bits of `m_Pid` in host byte order,
// sequence 0) followed by `datasize` bytes of '#'. `buf` must hold
// 8 + `datasize` bytes; a negative `datasize` writes no data. Returns the
// header length, 8 (0, writing nothing, for a null `buf`).
int InitIcmp6Header(char* buf, int datasize, int m_Pid);

// The Internet checksum (RFC 1071) of `size` bytes at `buffer`, 16-bit
// words taken in memory order; a trailing odd byte counts as if followed by
// a zero byte. Stored back in memory order, the result is correct on the
// wire. `buffer` need not be aligned; a size of 0 or less gives 0xFFFF.
unsigned short checksum(unsigned short* buffer, int size);

// The ICMPv6 checksum of the `icmplen`-byte message `icmppacket` (its
// checksum field taken as it stands) for the IPv6 destination of the
// resolver entry `dest`, over the pseudo-header of RFC 8200 section 8.1.
// The source is the address the system would send from to `dest` (found
// without sending anything). 0xFFFF when the source cannot be found or an
// argument is unusable (null, not AF_INET6, a message longer than 65495
// bytes). `s` is the socket the message will leave on; this platform finds
// the source without it.
unsigned short ComputeIcmp6PseudoHeaderChecksum(unsigned int s, char* icmppacket, int icmplen,
                                                addrinfo* dest);

// Zeroes bytes 2-3 of the `packetlen`-byte message in `buf` and stores
// there, in memory order, its checksum for `dest` as computed above.
// Does nothing for a message shorter than 4 bytes.
void ComputeIcmpChecksum(unsigned int s, char* buf, int packetlen, addrinfo* dest);

#endif  // ICMP6_ICMP6ECHO_H_
