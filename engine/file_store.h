#pragma once
// Stores received files in the project folder. A body is written to a file
// without a name while it arrives and gets its name only when it is whole,
// so a name never holds part of a file, not even after a crash. Nothing is
// ever written through a symbolic link, and nothing leaves the folder.
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_set>

#include "engine/final_name.h"

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
  // A part that is to be continued later: its bytes are written out and its
  // name stays when the file is let go. False for a nameless file, and for a
  // part that never held a byte.
  bool Keep();

 private:
  friend class FileStore;
  PendingFile(int fd, std::string tempName, FileStore& store, std::string infoName = {});
  void Discard();
  bool WriteOut(const char* data, size_t size);
  // Copies a nameless file to a temporary name, for a folder without links.
  bool TakeTemporaryName();
  // Gives a part its name and note, before its first byte is written.
  bool NamePart();

  int m_fd;
  std::string m_pending;   // gathered, not yet written
  std::string m_head;      // the first bytes written, up to 64 KiB
  std::string m_tempName;  // empty for a file the kernel keeps nameless
  FileStore& m_store;
  int m_dirFd;
  std::string m_infoName;  // a part's note, gone with it
  // A part still nameless: it is named when bytes first reach the disk, so a
  // body that is whole before that never needs a part.
  std::string m_partUrl, m_partValidator;
  bool m_kept = false;
  int64_t m_size = 0;
  int m_error = 0;
};

struct StoreResult {
  bool stored = false;
  std::string name;   // relative to the project folder, "/" separated
  std::string error;  // why it was not stored
  std::string head;   // the body's first bytes (up to 64 KiB), for its header
  int64_t size = 0;   // the body's size
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
  // A file that keeps what arrives under the part name of `requestUrl`
  // (part_files.h): continuing the `keepBytes` it holds, or anew with a note
  // of `validator`.
  std::unique_ptr<PendingFile> BeginPart(const std::string& requestUrl, int64_t keepBytes,
                                         const std::string& validator, std::string& error);
  // Gives a whole file its name by the "(n)" rule, starting from `localPath`
  // (a bare name, or a path whose folders are made). A file from before this
  // run that holds the same bytes under one of the names is kept instead of
  // a second copy.
  StoreResult Commit(PendingFile& file, const std::string& localPath);
  // Removes temporary files and claims that an interrupted earlier run left
  // behind.
  void RemoveStaleTemporaries();
  // The first write error that means the disk takes nothing more (full,
  // read-only, over quota), or 0.
  int DiskError() const { return m_diskError.load(); }
  void NoteError(int error);
  // False once the folder is known to hold no part: no note need be looked for.
  bool MayHoldParts() const { return m_mayHoldParts.load(); }

 private:
  friend class PendingFile;
  FileStore(int dirFd, std::filesystem::path folder) : m_dirFd(dirFd), m_folder(std::move(folder)), m_namer(dirFd) {}
  bool Reserved(const std::string& name) const;
  bool SameBytesAsEarlier(int dirFd, const std::string& leaf, const std::string& name, PendingFile& file);
  // Gives a nameless file `leaf` in `dirFd`; false with errno set.
  bool LinkNameless(int fd, int dirFd, const std::string& leaf);
  // A new file under a temporary name; -1 with errno set.
  int CreateTemporary(std::string& name);

  const int m_dirFd;
  const std::filesystem::path m_folder;
  FinalNamer m_namer;
  std::atomic<int> m_diskError{0};
  std::atomic<bool> m_mayHoldParts{true};
  // A nameless file is linked through its descriptor until the system says
  // no; the way through /proc/self/fd costs a lookup in /proc for each.
  std::atomic<bool> m_linksByDescriptor{true};
  std::mutex m_mutex;  // guards m_created
  std::unordered_set<std::string> m_created;  // names this run gave
};

// "name(n).ext": the number before the last "." of the file name, or at its end.
std::string NumberedName(const std::string& name, int n);

// The name with only what every desktop file system takes: printable ASCII
// without the bytes FAT refuses, each name cut to 120 bytes. For a file
// system that refused the mapped name.
std::string PortableName(const std::string& path);

// A temporary file of a run: "~part-" and ten letters or digits, ".tmp".
bool IsTemporaryFileName(const std::string& name);
std::string NewTemporaryFileName();

}  // namespace engine
