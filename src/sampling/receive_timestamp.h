// When a request left and its reply arrived: the arrival counter among the control messages
// of a receive-message call and how long the reply waited before it was read, or, without the
// stack's timestamps, the moments the send and receive calls bracket.
#pragma once
#include <cstddef>
#include <cstdint>

#include "sampling/ip_literal.h"

// Walks control messages in the Windows 64-bit layout (8-byte length, 4-byte level, 4-byte
// type, data at 16, each aligned to 8) for level 0xFFFF type 0x300A with 8 bytes of data.
bool FindArrivalCounter(const uint8_t* control, size_t length, int64_t* arrival);

// 100 ns to take off a time read at counter now for a reply that arrived at counter arrival:
// the read overhead plus the age; 0 when the arrival is unknown, later than now or the
// counter is unusable.
uint64_t ArrivalCorrection(int64_t arrival, int64_t now, uint64_t frequency, uint64_t overheadTicks,
                           bool counterUsable);

// A correction never moves a reply's arrival before its request's send time: takes back as
// much of it as T4 fell below T1.
void KeepArrivalAfterSend(uint64_t sendTime, uint64_t* receiveTime, uint64_t* correction);

// When a request left: callStart (the time just before its send call) plus share of the call's
// duration, share being the part of a send call that passes before the datagram leaves.
uint64_t DepartureTime(uint64_t callStart, uint64_t callDuration, double share);

// Where a reply found without the stack's timestamps arrived: a receive takes a waiting datagram
// as it begins, so at the start of the read that found it (foundAt), or, when an empty read
// began at emptyAt just before it, in the middle between the two starts (emptyAt 0: none).
uint64_t BracketedArrival(uint64_t foundAt, uint64_t emptyAt);

// T4 of a reply that the first read after the send already found at foundAt: it came no earlier
// than the request's departure plus the time the server held it, so the middle between that
// moment and foundAt (foundAt itself when that moment is not before it).
uint64_t WaitingReplyArrival(uint64_t departure, uint64_t hold, uint64_t foundAt);

// Whether a datagram's source is the address and port its request went to (IPv6 scope aside).
bool SameEndpoint(const IpLiteral& source, const IpLiteral& remote);
