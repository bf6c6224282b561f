// The OV2 HTTP time exchange as data: the GET request, the reading of the server's reply
// (status, the header lines that carry its time, serial, role, stratum, leap status and
// authentication, and the body), the order in which its result is decided, the body's digest
// check and the handling of a redirect. No platform calls.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "sampling/time_sample.h"
#include "sampling/time_source.h"

constexpr size_t kHttpReplyCapacity = 4095;  // the most of a reply that is read

// Result codes of the exchange.
constexpr uint32_t kHttpForbidden = 5;
constexpr uint32_t kHttpInvalidUrl = 12005;           // redirect to https
constexpr uint32_t kHttpProtocolUnknown = 12008;      // redirect to another scheme
constexpr uint32_t kHttpNotFound = 12028;
constexpr uint32_t kHttpInvalidResponse = 12152;      // redirect without a location
constexpr uint32_t kHttpInvalidHeader = 12153;        // a status other than 200
constexpr uint32_t kHttpInvalidQuery = 12154;         // 405
constexpr uint32_t kHttpServerUnusable = 1901;        // server error, or no time
constexpr uint32_t kHttpSerialNotEchoed = 0x80090310;
constexpr uint32_t kHttpDigestMissing = 1746;

// What the reply says, as read.
struct HttpReply {
  uint32_t status = 0;       // 0 when the reply does not begin with "HTTP/"
  std::string body;          // what follows the first blank line
  uint64_t filetime = 0;     // S1; 0: absent
  uint64_t received = 0;     // S2; 0: absent
  uint32_t serial = 0;
  uint32_t authError = 0;
  uint32_t authType = 0;
  uint32_t authKey = 0;
  uint32_t serverSerial = 0;
  uint32_t serverRole = 0;
  std::string authDigest;
  std::string location;
  uint8_t leap = 4;          // not provided
  uint8_t stratum = 0;
  uint32_t referenceId = 0;  // the address's four bytes in network order
};

// The request text: "GET /<number><s|c>", the auth query when the source has a type and a
// key, and the fixed header lines with "Host: <server>:<port>" (an IPv6 literal in brackets).
std::string BuildHttpRequest(uint32_t number, bool localRoleIsServer, const TimeSourceSpec& spec);
// Whether the request carries the auth query (and so the sample's requestAuth is the source's).
bool SendsAuthQuery(const TimeSourceSpec& spec);

// Reads a reply of length bytes (at most 4095 are looked at).
HttpReply ParseHttpReply(const char* text, size_t length);

// The result a server's nonzero "auth-error" gives: its own verdict, except for the codes
// this machine gives its own meaning (success without a sample, a stop, a time-out, a
// redirect, a socket's failure), which become 12153: a header the client does not accept.
uint32_t PeerAuthError(uint32_t value);

// The result of an exchange whose request carried number, in the order the server's answer
// is judged: redirect, auth-error, 403/405/404, server error or no time, other status,
// serial, authentication. Sets role, server, serial and errorText for a redirect and
// replyAuth and digestType for an authenticated reply.
uint32_t DecideHttpResult(const HttpReply& reply, uint32_t number, const TimeSourceSpec& spec, TimeSample* sample);

// A redirect (status 300 to 307): 12160 with the target host in server (the source's when
// empty) and its port in serial, or the refusal's code with its text in errorText.
uint32_t DecideRedirect(const HttpReply& reply, const TimeSourceSpec& spec, TimeSample* sample);

// Fills a good sample: the server's times, delta and latency, serial, role, leap, stratum,
// reference and the time source's tag.
void StoreHttpReply(const HttpReply& reply, uint64_t t1, uint64_t t4, const TimeSourceSpec& spec,
                    TimeSample* sample);

// The text of the process's last refused redirect ("" when none yet).
std::string LastRedirectMessage();
