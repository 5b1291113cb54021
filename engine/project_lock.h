#pragma once
// One run at a time in a project folder: an flock on a lock file inside it,
// held as long as the run. The kernel lets go of it when its process ends,
// however it ends, so the lock of a killed run is taken over silently. The
// holder's process id is written into the file, to be named to the next one.
#include <sys/types.h>

#include <memory>

namespace engine {

inline constexpr const char* kProjectLockName = "~project.lock";

class ProjectLock {
 public:
  ~ProjectLock();
  ProjectLock(const ProjectLock&) = delete;
  ProjectLock& operator=(const ProjectLock&) = delete;

  struct Attempt {
    std::unique_ptr<ProjectLock> lock;  // none: another run holds the folder
    pid_t holder = 0;                   // that run's process, when known
  };
  // Takes the lock of the project folder `dirFd` without waiting.
  static Attempt Take(int dirFd);

 private:
  explicit ProjectLock(int fd) : m_fd(fd) {}
  int m_fd;
};

}  // namespace engine
