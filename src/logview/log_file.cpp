// Reading a log for a refresh: its tail, or what was appended since the last read.
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

// Reads [read.from, read.to) into *bytes (fewer when the file shrank meanwhile); false on a failed read.
bool ReadRange(const CLogFileHandle& file, const LogRead& read, std::string* bytes) {
  LARGE_INTEGER offset;
  offset.QuadPart = static_cast<LONGLONG>(read.from);
  if (!SetFilePointerEx(file.Get(), offset, nullptr, FILE_BEGIN)) return false;
  size_t count = static_cast<size_t>(read.to - read.from), done = 0;
  bytes->resize(count + 1);
  while (done < count) {
    DWORD got = 0;
    if (!ReadFile(file.Get(), &(*bytes)[done], static_cast<DWORD>(count - done), &got, nullptr)) return false;
    if (got == 0) break;
    done += got;
  }
  bytes->resize(done);
  return true;
}

// The file's identity: its volume and its number there (0 when the system gives none).
uint64_t FileIdentity(const CLogFileHandle& file) {
  BY_HANDLE_FILE_INFORMATION info = {};
  if (!GetFileInformationByHandle(file.Get(), &info)) return 0;
  uint64_t index = (uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
  return index ^ (uint64_t{info.dwVolumeSerialNumber} << 32);
}

// The appended lines as an edit; false when the read fails or shown finds the file rewritten.
bool ReadAppended(const CLogFileHandle& file, const LogRead& read, CShownLog* shown, const LogRtfOptions& options,
                  LogEdit* edit) {
  try {
    std::string bytes;
    return ReadRange(file, read, &bytes) && shown->Append(read, bytes, options, edit);
  } catch (const std::bad_alloc&) {
    return false;
  }
}

// The document for the tail of an open file; *count learns how many bytes it shows.
std::string ReadDocument(const CLogFileHandle& file, const LogRead& read, uint64_t identity, CShownLog* shown,
                         const LogRtfOptions& options, size_t* count) {
  try {
    std::string bytes;
    if (ReadRange(file, read, &bytes)) {
      *count = bytes.size();
      return shown->Rebuild(read, identity, bytes, options);
    }
    shown->Forget();
    return BuildLogRtfFailure(kReadFailure);
  } catch (const std::bad_alloc&) {
    shown->Forget();
    return BuildLogRtfFailure(kAllocationFailure);
  }
}

}  // namespace

LogSnapshot ReadLogSnapshot(const std::string& path, CShownLog* shown, const LogRtfOptions& options) {
  LogSnapshot snapshot;
  CLogFileHandle file;
  snapshot.readOnly = !file.Open(path, GENERIC_READ | GENERIC_WRITE);
  if (snapshot.readOnly && !file.Open(path, GENERIC_READ)) return snapshot;
  snapshot.opened = true;
  snapshot.size = std::max<int64_t>(file.Size(), 0);
  GetFileTime(file.Get(), nullptr, nullptr, &snapshot.written);
  uint64_t size = static_cast<uint64_t>(snapshot.size), identity = FileIdentity(file);
  LogRead read = shown->Plan(identity, size);
  if (!read.rebuild) {
    if (ReadAppended(file, read, shown, options, &snapshot.edit)) {
      snapshot.rebuild = false;
      snapshot.shown = PlanLogTail(size).count;
      return snapshot;
    }
    shown->Forget();  // rewritten, or unreadable for now: read the tail afresh
    read = shown->Plan(identity, size);
  }
  snapshot.rtf = ReadDocument(file, read, identity, shown, options, &snapshot.shown);
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
