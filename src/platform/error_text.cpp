// The built-in table of result-code texts and the fall-back wording.
#include "platform/error_text.h"

#include <cstdio>
#include <cstring>

namespace {

struct ErrorEntry {
  uint32_t first;
  uint32_t last;
  const char* text;
};

constexpr uint32_t Negative(int value) { return static_cast<uint32_t>(value); }

const ErrorEntry kErrorTable[] = {
    {0, 0, "No error"},
    {123, 123, "Invalid name"},
    {223, 223, "The file size exceeds the limit allowed"},
    {995, 995, "IO op aborted"},
    {1231, 1231, "Network unreachable"},
    {1232, 1232, "Host unreachable"},
    {1233, 1233, "Protocol unreachable"},
    {1234, 1234, "Port unreachable"},
    {1398, 1398, "Time skew"},
    {1901, 1901, "Clock not set on server"},
    {8411, 8411, "An expected parameter was missing or malformed"},
    {10004, 10004, "Operation cancelled"},
    {10013, 10013, "Access denied"},
    {10014, 10014, "Buffer error"},
    {10022, 10022, "Invalid option"},
    {10024, 10024, "No sockets available"},
    {10035, 10035, "Operation would block"},
    {10036, 10036, "Blocking error"},
    {10037, 10037, "Operation in progress"},
    {10038, 10038, "Invalid socket"},
    {10039, 10039, "Address omitted"},
    {10040, 10040, "Packet too big"},
    {10042, 10042, "Unsupported protocol"},
    {10043, 10043, "Protocol not supported"},
    {10045, 10045, "Not supported"},
    {10048, 10048, "Address/port in use"},
    {10049, 10049, "Address unavailable"},
    {10050, 10050, "Network down (NETDOWN)"},
    {10051, 10051, "Destination host unreachable"},
    {10052, 10052, "Keep-alive reset"},
    {10053, 10053, "Connection aborted"},
    {10054, 10054, "Connection reset"},
    {10055, 10055, "Insufficient buffer"},
    {10056, 10056, "Already connected"},
    {10057, 10057, "Not connected"},
    {10058, 10058, "Socket shutdown"},
    {10060, 10060, "Timed out"},
    {12002, 12002, "Timed out"},
    {10061, 10061, "Connection refused"},
    {10064, 10064, "Destination down"},
    {10065, 10065, "No route to destination"},
    {10091, 10091, "Winsock down (SYSNOTREADY)"},
    {10093, 10093, "Winsock down (NOTINITIALIZED)"},
    {10101, 10101, "Shutting down"},
    {11001, 11001, "Host not found"},
    {11002, 11002, "Need retry"},
    {11003, 11003, "Lookup failed (NO_RECOVERY)"},
    {11004, 11004, "Lookup failed (NO_RECORD)"},
    {12005, 12005, "Invalid URL"},
    {12007, 12007, "Name not resolved"},
    {12008, 12008, "Protocol unknown"},
    {12013, 12013, "Bad username"},
    {12014, 12014, "Bad password"},
    {12015, 12015, "Login failure"},
    {12028, 12028, "404 Not found"},
    {12029, 12031, "Cannot connect"},
    {12037, 12038, "Security failure"},
    {12041, 12046, "Security failure"},
    {12055, 12057, "Security failure"},
    {12157, 12157, "Security failure"},
    {12169, 12170, "Security failure"},
    {12039, 12040, "Redirect failure"},
    {12048, 12048, "Redirect failure"},
    {12052, 12052, "Redirect failure"},
    {12110, 12110, "Transfer in progress"},
    {12111, 12111, "Connection dropped"},
    {12112, 12112, "No passive mode"},
    {12150, 12150, "Header not found"},
    {12152, 12152, "Invalid response"},
    {12153, 12153, "Invalid header"},
    {12154, 12154, "Invalid query"},
    {12156, 12156, "Redirect failed"},
    {12159, 12159, "No TCP/IP"},
    {12160, 12160, "Redirect needed"},
    {12161, 12162, "Cookie failure"},
    {12168, 12168, "Cookie failure"},
    {12163, 12163, "Internet disconnected"},
    {12164, 12164, "Server unreachable"},
    {12165, 12165, "Proxy server unreachable"},
    {12166, 12166, "Proxy script error"},
    {12172, 12172, "Internet not initialized"},
    {15021, 15021, "Unexpected token encountered"},
    {Negative(-1), Negative(-1), "Invalid data"},
    {Negative(-2), Negative(-2), "Protocol error"},
    {Negative(-3), Negative(-3), "Not all files could be replicated"},
    {Negative(-4), Negative(-4), "Not all folders were accessible"},
    {Negative(-5), Negative(-5), "Not all operations completed"},
    {Negative(-6), Negative(-6), "wsnmp32.dll missing"},
    {Negative(-7), Negative(-7), "Unrecognized machine type"},
};

}  // namespace

const char* BuiltInErrorText(uint32_t code) {
  for (const ErrorEntry& entry : kErrorTable)
    if (code >= entry.first && code <= entry.last) return entry.text;
  return nullptr;
}

std::string CleanSystemMessage(std::string text) {
  size_t end = text.find_last_not_of(". \r\n");
  text.erase(end == std::string::npos ? 0 : end + 1);
  std::string cleaned;
  for (char c : text) {
    if (c == '\r' || c == '\n') c = ' ';
    if (c != ' ' || cleaned.empty() || cleaned.back() != ' ') cleaned.push_back(c);
  }
  return cleaned;
}

std::string WinsockFallbackText(uint32_t code) {
  if (code < 10000 || code > 11031) return std::string();
  char text[64];
  std::snprintf(text, sizeof text, "Winsock error %u (no description available)", code);
  return text;
}

std::string Win32FallbackText(uint32_t code) {
  char text[64];
  if (static_cast<int32_t>(code) > 0)
    std::snprintf(text, sizeof text, "Win32 error %d (no description available)",
                  static_cast<int32_t>(code));
  else
    std::snprintf(text, sizeof text, "Win32 error 0x%08x (no description available)", code);
  return text;
}

void CopyErrorText(const std::string& text, char* buffer, size_t size) {
  if (size == 0) return;
  size_t length = text.size() < size - 1 ? text.size() : size - 1;
  std::memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
  if (size >= 6 && length == size - 1)
    std::memcpy(buffer + length - 3, "...", 3);
}
