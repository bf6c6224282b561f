// CNTPTimeSampler: one NTP exchange and its sample.
#include "sampling/ntp_sampler.h"

#include "platform/activity_section.h"
#include "sampling/network.h"
#include "sampling/ntp_packet.h"
#include "sampling/ntp_time.h"
#include "sampling/system_clock.h"

namespace {

// Where in its send call a request is taken to leave when nothing better was measured: the middle.
constexpr double kSendShare = 0.5;

// Records the exchange's code in the sample and returns it.
uint32_t Finish(TimeSample* sample, uint32_t code) {
  sample->errorCode = code;
  return code;
}

// The reply's fields, the peer, the four timestamps, delta and latency.
void StoreReply(const uint8_t* reply, const CClientSocket& socket, const ExchangeResult& exchange,
                TimeSample* sample) {
  uint16_t port = 0;
  sample->address = FromSocketAddress(reinterpret_cast<const sockaddr*>(&socket.PeerAddress()), &port);
  StoreNtpReplyFields(reply, sample);
  uint64_t serverReceive = LoadNtpTimestamp(reply + 32), serverTransmit = LoadNtpTimestamp(reply + 40);
  ExchangeMoments moments = Moments(exchange, kSendShare, ServerHold(serverReceive, serverTransmit));
  sample->receiveTime = moments.received;
  sample->receiveCorrection = moments.correction;
  uint64_t originate = FileTimeToNtp(moments.sent ? moments.sent : SystemClock().Now());
  uint64_t localReceive = FileTimeToNtp(moments.received);
  sample->originateTs = NtpTimestampToWire(originate);
  sample->localReceiveTs = NtpTimestampToWire(localReceive);
  sample->serverReceiveTs = NtpTimestampToWire(serverReceive);
  sample->serverTransmitTs = NtpTimestampToWire(serverTransmit);
  DeltaLatency result = ComputeDeltaLatency(originate, serverReceive, serverTransmit, localReceive);
  sample->delta = result.delta;
  sample->latency = result.latency;
}

}  // namespace

uint32_t CNTPTimeSampler::SampleOnce(CClientSocket& socket, const TimeSourceSpec& spec, TimeSample* sample) {
  sample->requestAuth = uint8_t(spec.authType);
  sample->replyAuth = 0;
  NtpRequest request;
  BuildNtpRequest(Settings().ntpVersion, FileTimeToNtp(SystemClock().Now()), &request);
  uint32_t code = AuthenticateNtpRequest(spec.authType, spec.keyId, spec.machineRid, &request);
  sample->digestType = request.digestType;
  sample->role = request.role;
  if (code != 0) return Finish(sample, code);
  MarkActivity(kActivityNtpRequest);
  uint8_t reply[kNtpReplyCapacity] = {};
  ExchangeResult exchange;
  code = socket.ExchangeDatagram(request.packet, uint32_t(request.length), reply, sizeof reply, &exchange);
  if (code != 0) return Finish(sample, code);
  MarkActivity(kActivityNtpReply);
  code = ValidateNtpReply(reply, exchange.length, request, Settings().maxStratum, &sample->replyAuth,
                          &sample->digestType);
  if (code != 0) return Finish(sample, code);
  StoreReply(reply, socket, exchange, sample);
  sample->sampleTag = spec.sampleTag;
  return Finish(sample, 0);
}
