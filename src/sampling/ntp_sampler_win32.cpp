#include "sampling/ntp_sampler.h"

#include "monitor/service_signals.h"
#include "sampling/clock_math.h"
#include "sampling/network.h"
#include "sampling/ntp_packet.h"
#include "sampling/ntp_time.h"
#include "sampling/system_clock.h"

namespace {

// Records the exchange's code in the sample and returns it.
uint32_t Finish(TimeSample* sample, uint32_t code) {
  sample->errorCode = code;
  return code;
}

uint32_t LastSocketError() {
  int code = WSAGetLastError();
  return code ? uint32_t(code) : uint32_t(WSAETIMEDOUT);
}

// T1 moved later by half the send call and a counter read, when the counter tells them.
uint64_t SendMoment(CSystemClock& clock, uint64_t t1, int64_t before, int64_t after) {
  if (clock.CounterUsable() && after >= before)
    t1 += TicksTo100ns(clock.CounterOverhead() + uint64_t(after - before), clock.CounterFrequency()) / 2;
  return t1 ? t1 : clock.Now();
}

void StoreTimes(const uint8_t* reply, uint64_t t1, uint64_t t4, TimeSample* sample) {
  uint64_t originate = FileTimeToNtp(t1), localReceive = FileTimeToNtp(t4);
  uint64_t serverReceive = LoadNtpTimestamp(reply + 32), serverTransmit = LoadNtpTimestamp(reply + 40);
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
  CSystemClock& clock = SystemClock();
  uint64_t t1 = clock.Now();
  NtpRequest request;
  BuildNtpRequest(Settings().ntpVersion, FileTimeToNtp(t1), &request);
  uint32_t code = AuthenticateNtpRequest(spec.authType, spec.keyId, spec.machineRid, &request);
  sample->digestType = request.digestType;
  sample->role = request.role;
  if (code != 0) return Finish(sample, code);

  MarkActivity(kActivityNtpRequest);
  int64_t before = clock.ReadCounter();
  int sent = sendto(socket.Handle(), reinterpret_cast<const char*>(request.packet), int(request.length), 0,
                    reinterpret_cast<const sockaddr*>(&socket.RemoteAddress()), socket.RemoteAddressLength());
  int64_t after = clock.ReadCounter();
  if (sent == SOCKET_ERROR) return Finish(sample, LastSocketError());
  uint8_t reply[kNtpReplyCapacity] = {};
  sockaddr_storage source = {};
  int sourceLength = 0;
  uint64_t t4 = 0;
  int received = ReceiveWithTimestamp(socket.Handle(), reinterpret_cast<char*>(reply), int(sizeof reply), &source,
                                      &sourceLength, &t4, &sample->receiveCorrection);
  if (received == SOCKET_ERROR) return Finish(sample, LastSocketError());
  if (t4 == 0) t4 = clock.Now();
  MarkActivity(kActivityNtpReply);

  code = ValidateNtpReply(reply, size_t(received), request, Settings().maxStratum, &sample->replyAuth,
                          &sample->digestType);
  if (code != 0) return Finish(sample, code);
  uint16_t port = 0;
  sample->address = FromSocketAddress(reinterpret_cast<const sockaddr*>(&source), &port);
  sample->receiveTime = t4;
  StoreNtpReplyFields(reply, sample);
  StoreTimes(reply, SendMoment(clock, t1, before, after), t4, sample);
  sample->sampleTag = spec.sampleTag;
  return Finish(sample, 0);
}
