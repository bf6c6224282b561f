#include "sampling/ntp_sampler.h"

#include "platform/activity_section.h"
#include "sampling/clock_math.h"
#include "sampling/network.h"
#include "sampling/ntp_packet.h"
#include "sampling/ntp_time.h"
#include "sampling/system_clock.h"

namespace {

// What one send and receive gave.
struct Transfer {
  int64_t sendStart = 0;  // counter around the send call
  int64_t sendEnd = 0;
  uint8_t reply[kNtpReplyCapacity] = {};
  size_t length = 0;
  sockaddr_storage source = {};
  uint64_t receiveTime = 0;  // T4
  uint64_t correction = 0;
};

// Records the exchange's code in the sample and returns it.
uint32_t Finish(TimeSample* sample, uint32_t code) {
  sample->errorCode = code;
  return code;
}

uint32_t LastSocketError() {
  int code = WSAGetLastError();
  return code ? uint32_t(code) : uint32_t(WSAETIMEDOUT);
}

// One datagram to the server and one datagram back, with the activity marks around them.
uint32_t SendAndReceive(CClientSocket& socket, const NtpRequest& request, Transfer* transfer) {
  CSystemClock& clock = SystemClock();
  MarkActivity(kActivityNtpRequest);
  transfer->sendStart = clock.ReadCounter();
  int sent = sendto(socket.Handle(), reinterpret_cast<const char*>(request.packet), int(request.length), 0,
                    reinterpret_cast<const sockaddr*>(&socket.RemoteAddress()), socket.RemoteAddressLength());
  transfer->sendEnd = clock.ReadCounter();
  if (sent == SOCKET_ERROR) return LastSocketError();
  int sourceLength = 0;
  int received = ReceiveWithTimestamp(socket.Handle(), reinterpret_cast<char*>(transfer->reply),
                                      int(sizeof transfer->reply), &transfer->source, &sourceLength,
                                      &transfer->receiveTime, &transfer->correction);
  if (received == SOCKET_ERROR) return LastSocketError();
  if (transfer->receiveTime == 0) transfer->receiveTime = clock.Now();
  transfer->length = size_t(received);
  MarkActivity(kActivityNtpReply);
  return 0;
}

// T1 moved later by half the send call and a counter read, when the counter tells them.
uint64_t SendMoment(uint64_t t1, const Transfer& transfer) {
  CSystemClock& clock = SystemClock();
  if (clock.CounterUsable() && transfer.sendEnd >= transfer.sendStart)
    t1 += TicksTo100ns(clock.CounterOverhead() + uint64_t(transfer.sendEnd - transfer.sendStart),
                       clock.CounterFrequency()) /
          2;
  return t1 ? t1 : clock.Now();
}

// The reply's fields, the four timestamps, delta and latency.
void StoreReply(const Transfer& transfer, uint64_t t1, TimeSample* sample) {
  uint16_t port = 0;
  sample->address = FromSocketAddress(reinterpret_cast<const sockaddr*>(&transfer.source), &port);
  sample->receiveTime = transfer.receiveTime;
  sample->receiveCorrection = transfer.correction;
  StoreNtpReplyFields(transfer.reply, sample);
  uint64_t originate = FileTimeToNtp(SendMoment(t1, transfer)), localReceive = FileTimeToNtp(transfer.receiveTime);
  uint64_t serverReceive = LoadNtpTimestamp(transfer.reply + 32), serverTransmit = LoadNtpTimestamp(transfer.reply + 40);
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
  uint64_t t1 = SystemClock().Now();
  NtpRequest request;
  BuildNtpRequest(Settings().ntpVersion, FileTimeToNtp(t1), &request);
  uint32_t code = AuthenticateNtpRequest(spec.authType, spec.keyId, spec.machineRid, &request);
  sample->digestType = request.digestType;
  sample->role = request.role;
  if (code != 0) return Finish(sample, code);
  Transfer transfer;
  code = SendAndReceive(socket, request, &transfer);
  if (code == 0)
    code = ValidateNtpReply(transfer.reply, transfer.length, request, Settings().maxStratum, &sample->replyAuth,
                            &sample->digestType);
  if (code != 0) return Finish(sample, code);
  StoreReply(transfer, t1, sample);
  sample->sampleTag = spec.sampleTag;
  return Finish(sample, 0);
}
