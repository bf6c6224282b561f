// COV2TimeSampler and COV2HTTPClient: one OV2 exchange and its sample.
#include "sampling/ov2_sampler.h"

#include "platform/activity_section.h"
#include "sampling/machine_role.h"
#include "sampling/ov2_http.h"
#include "sampling/ov2_packet.h"

namespace {

// The serial number this installation sends; it has none of its own.
constexpr uint32_t kLocalSerial = 0;
// Product roles below this one are servers.
constexpr uint32_t kFirstClientRole = 4;

// Where in its send call a request is taken to leave when nothing better was measured: a
// datagram after the whole call, stream data at its start.
constexpr double kDatagramSendShare = 1.0;
constexpr double kStreamSendShare = 0.0;

// Records the exchange's code in the sample and returns it.
uint32_t Finish(TimeSample* sample, uint32_t code) {
  sample->errorCode = code;
  return code;
}

uint32_t Exchange(CClientSocket& socket, const void* request, size_t length, void* reply, size_t capacity,
                  ExchangeResult* result) {
  return socket.IsStream() ? socket.ExchangeStream(request, uint32_t(length), reply, uint32_t(capacity), result)
                           : socket.ExchangeDatagram(request, uint32_t(length), reply, uint32_t(capacity), result);
}

// T1 and T4 of an exchange over socket with a server that held the request for hold; T4 and
// the time the reply waited go into the sample.
ExchangeMoments StoreMoments(const CClientSocket& socket, const ExchangeResult& exchange, uint64_t hold,
                             TimeSample* sample) {
  ExchangeMoments moments = Moments(exchange, socket.IsStream() ? kStreamSendShare : kDatagramSendShare, hold);
  sample->receiveTime = moments.received;
  sample->receiveCorrection = moments.correction;
  return moments;
}

}  // namespace

uint32_t COV2TimeSampler::SampleOnce(CClientSocket& socket, const TimeSourceSpec& spec, TimeSample* sample) {
  sample->requestAuth = uint8_t(spec.authType);
  sample->replyAuth = 0;
  sample->leap = 4;
  sample->sampleTag = spec.sampleTag;
  Ov2Request request;
  uint32_t code = BuildOv2Request(NextOv2RequestNumber(), spec.authType, spec.keyId, kLocalSerial, &request);
  sample->digestType = request.digestType;
  if (code != 0) return Finish(sample, code);
  MarkActivity(kActivityOv2Request);
  uint8_t reply[kOv2ReplyCapacity];
  ExchangeResult exchange;
  code = Exchange(socket, request.bytes, request.length, reply, sizeof reply, &exchange);
  if (code != 0) return Finish(sample, code);
  MarkActivity(kActivityOv2Reply);
  code = ValidateOv2Reply(reply, exchange.length, request, &sample->replyAuth, &sample->digestType);
  if (code != 0) return Finish(sample, code);
  ExchangeMoments moments = StoreMoments(socket, exchange, Ov2ReplyHold(reply, exchange.length), sample);
  StoreOv2Reply(reply, exchange.length, moments.sent, moments.received, sample);
  return Finish(sample, 0);
}

uint32_t COV2HTTPClient::SampleOnce(CClientSocket& socket, const TimeSourceSpec& spec, TimeSample* sample) {
  if (SendsAuthQuery(spec)) sample->requestAuth = uint8_t(spec.authType);
  uint32_t number = NextOv2RequestNumber();
  std::string request = BuildHttpRequest(number, DetectLocalMachineRole().productRole < kFirstClientRole, spec);
  MarkActivity(kActivityHttpRequest);
  char reply[kHttpReplyCapacity];
  ExchangeResult exchange;
  uint32_t code = Exchange(socket, request.data(), request.size(), reply, sizeof reply, &exchange);
  if (code != 0) return Finish(sample, code);
  MarkActivity(kActivityHttpReply);
  HttpReply parsed = ParseHttpReply(reply, exchange.length);
  code = DecideHttpResult(parsed, number, spec, sample);
  if (code != 0) return Finish(sample, code);
  ExchangeMoments moments = StoreMoments(socket, exchange, ServerHoldTime(parsed.filetime, parsed.received), sample);
  StoreHttpReply(parsed, moments.sent, moments.received, spec, sample);
  return Finish(sample, 0);
}
