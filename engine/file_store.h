#pragma once
// Stores received files in the project folder. A body is written to a file
// without a name while it arrives and gets its name only when it is whole,
// so a name never holds part of a file, not even after a crash. Nothing is
// ever written through a symbolic link, and nothing leaves the folder.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_set>

namespace engine {

class FileStore;

// A body on its way into the project folder.
class PendingFile {
 public:
  ~PendingFile();
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  // False once a write has failed; the error stays. Bytes are gathered and
  // written in large pieces.
  bool Write(const char* data, size_t size);
  // Writes what is gathered; false when that fails.
  bool Flush();
  int64_t Size() const { return m_size; }
  int Error() const { return m_error; }

 private:
  friend class FileStore;
  PendingFile(int fd, std::string tempName, int dirFd) : m_fd(fd), m_tempName(std::move(tempName)), m_dirFd(dirFd) {}
  void Discard();
  bool WriteOut(const char* data, size_t size);

  int m_fd;
  std::string m_pending;   // gathered, not yet written
  std::string m_tempName;  // empty for a file the kernel keeps nameless
  int m_dirFd;
  int64_t m_size = 0;
  int m_error = 0;
};

struct StoreResult {
  bool stored = false;
  std::string name;   // relative to the project folder, "/" separated
  std::string error;  // why it was not stored
};

class FileStore {
 public:
  // Opens the project folder, which must be a real directory, not a link.
  static std::unique_ptr<FileStore> Open(const std::filesystem::path& folder, std::string& error);
  ~FileStore();
  FileStore(const FileStore&) = delete;
  FileStore& operator=(const FileStore&) = delete;

  const std::filesystem::path& Folder() const { return m_folder; }
  int FolderFd() const { return m_dirFd; }

  // A new file for a body; nothing when the folder takes no file (`error`).
  std::unique_ptr<PendingFile> Begin(std::string& error);
  // Gives a whole file its name by the "(n)" rule, starting from `localPath`
  // (a bare name, or a path whose folders are made). A file from before this
  // run that holds the same bytes under one of the names is kept instead of
  // a second copy.
  StoreResult Commit(PendingFile& file, const std::string& localPath);
  // Removes temporary files that an interrupted earlier run left behind.
  void RemoveStaleTemporaries();

 private:
  FileStore(int dirFd, std::filesystem::path folder) : m_dirFd(dirFd), m_folder(std::move(folder)) {}
  bool Reserved(const std::string& name) const;
  bool SameBytesAsEarlier(int dirFd, const std::string& leaf, const std::string& name, PendingFile& file);

  const int m_dirFd;
  const std::filesystem::path m_folder;
  std::mutex m_mutex;  // guards m_created
  std::unordered_set<std::string> m_created;  // names this run gave
};

// "name(n).ext": the number before the last "." of the file name, or at its end.
std::string NumberedName(const std::string& name, int n);

}  // namespace engine
