#pragma once
// Gives a whole file, written under a temporary name in the project folder,
// its final name without ever replacing a file: a hard link where the file
// system has them, else a rename that refuses to replace, else a claim of
// the name made with O_EXCL and a rename over that claim (FAT, exFAT, CIFS
// and many FUSE file systems). Which one serves is learnt from what the
// calls return. A claim is noted in a journal before it is made, so that an
// empty claim a killed run left under a final name goes at the next start.
#include <atomic>
#include <mutex>
#include <string>

namespace engine {

class FinalNamer {
 public:
  enum class Result {
    Named,    // the file has the name
    Taken,    // a file or folder of that name exists
    Refused,  // the file system takes no such name
    Failed,   // `error` says why
  };

  explicit FinalNamer(int projectFd) : m_projectFd(projectFd) {}
  // Removes the journal: every claim is settled. Before the folder closes.
  void Finish();
  FinalNamer(const FinalNamer&) = delete;
  FinalNamer& operator=(const FinalNamer&) = delete;

  // Names the temporary file `temp` of the project folder `leaf` in `dirFd`;
  // `path` is that name relative to the project folder. On Named, `moved`
  // tells whether `temp` is gone (else it is a second name to remove).
  Result Give(const std::string& temp, int dirFd, const std::string& leaf, const std::string& path, bool empty,
              bool& moved, int& error);
  // Whether hard links failed here: nameless files cannot be named then.
  bool NoLinks() const { return m_noLinks.load(); }
  // Removes the empty claims a killed run left, then the journal.
  void RemoveLeftClaims();

 private:
  Result Claim(const std::string& temp, int dirFd, const std::string& leaf, const std::string& path, bool empty,
               int& error);
  void Note(char sign, const std::string& path);

  const int m_projectFd;
  std::atomic<bool> m_noLinks{false};
  std::atomic<bool> m_noExclusiveRename{false};
  std::mutex m_journalMutex;  // guards the two below
  int m_journalFd = -1;
  int m_claimsOpen = 0;
};

// What a file system answers to a name it cannot hold: FAT ":" or "?", a
// FUSE FAT any non-ASCII byte (EPERM), a FUSE exFAT ":" (ENOENT).
bool IsNameError(int error);

// The journal of claims, in the project folder.
inline constexpr const char* kClaimJournal = "~claims";

}  // namespace engine
