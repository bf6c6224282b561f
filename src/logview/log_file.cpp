#include "logview/log_file.h"

#define SECURITY_WIN32
#include <security.h>

#include <algorithm>
#include <new>

namespace {

const DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
const char kAllocationFailure[] = "Unable to allocate memory for file data";
const char kReadFailure[] = "Unable to read file data";

// A file handle open for the length of one call.
class CLogFileHandle {
 public:
  CLogFileHandle() = default;
  CLogFileHandle(const std::string& path, DWORD access) { Open(path, access); }
  ~CLogFileHandle() { Close(); }
  CLogFileHandle(const CLogFileHandle&) = delete;
  CLogFileHandle& operator=(const CLogFileHandle&) = delete;

  bool Open(const std::string& path, DWORD access) {
    Close();
    handle_ = CreateFileA(path.c_str(), access, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return IsOpen();
  }
  void Close() {
    if (IsOpen()) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }
  bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }
  int64_t Size() const {
    LARGE_INTEGER size = {};
    return GetFileSizeEx(handle_, &size) ? size.QuadPart : -1;
  }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// Reads count bytes at offset into *bytes (fewer when the file shrank meanwhile); false on a failed read.
bool ReadAt(const CLogFileHandle& file, const LogTail& tail, std::string* bytes) {
  LARGE_INTEGER offset;
  offset.QuadPart = static_cast<LONGLONG>(tail.offset);
  if (!SetFilePointerEx(file.Get(), offset, nullptr, FILE_BEGIN)) return false;
  size_t done = 0;
  while (done < tail.count) {
    DWORD read = 0;
    DWORD want = static_cast<DWORD>(tail.count - done);
    if (!ReadFile(file.Get(), &(*bytes)[done], want, &read, nullptr)) return false;
    if (read == 0) break;
    done += read;
  }
  bytes->resize(done);
  return true;
}

// The document for the tail of an open file.
std::string RenderTail(const CLogFileHandle& file, const LogTail& tail, const LogRtfOptions& options, size_t* shown) {
  try {
    std::string bytes(tail.count + 1, '\0');
    if (!ReadAt(file, tail, &bytes)) return BuildLogRtfFailure(kReadFailure);
    *shown = bytes.size();
    return BuildLogRtf(bytes, tail.truncated, options);
  } catch (const std::bad_alloc&) {
    return BuildLogRtfFailure(kAllocationFailure);
  }
}

}  // namespace

LogSnapshot ReadLogSnapshot(const std::string& path, const LogRtfOptions& options) {
  LogSnapshot snapshot;
  CLogFileHandle file;
  snapshot.readOnly = !file.Open(path, GENERIC_READ | GENERIC_WRITE);
  if (snapshot.readOnly && !file.Open(path, GENERIC_READ)) return snapshot;
  snapshot.opened = true;
  snapshot.size = std::max<int64_t>(file.Size(), 0);
  GetFileTime(file.Get(), nullptr, nullptr, &snapshot.written);
  snapshot.rtf = RenderTail(file, PlanLogTail(static_cast<uint64_t>(snapshot.size)), options, &snapshot.shown);
  return snapshot;
}

int64_t QueryLogSize(const std::string& path) {
  CLogFileHandle file(path, 0);
  return file.IsOpen() ? file.Size() : -1;
}

bool ClearLogFile(const std::string& path, const std::string& line) {
  CLogFileHandle file(path, GENERIC_WRITE);
  if (!file.IsOpen()) return false;
  DWORD written = 0;
  bool ok = WriteFile(file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr) &&
            written == line.size() && SetEndOfFile(file.Get());
  FlushFileBuffers(file.Get());
  return ok;
}

std::string CurrentUserName() {
  char name[512];
  ULONG size = sizeof name;
  if (GetUserNameExA(NameSamCompatible, name, &size) && size > 0) return name;
  DWORD plain = sizeof name;
  if (GetUserNameA(name, &plain) && name[0]) return name;
  return "Unknown";
}
