#include "engine/project_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

int ReadProjectLine(std::FILE* file, std::string& line) {
  line.clear();
  for (int c; (c = std::getc(file)) != EOF;) {
    if (c == '\n') {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return 2;
    }
    line += char(c);
  }
  return 1;
}

int LoadProjectFile(CDownloadProject& project, std::FILE* file) {
  std::string line;
  ReadProjectLine(file, line);
  // Leading blanks and a sign are allowed; no number reads as 0.
  errno = 0;
  const long long count = std::strtoll(line.c_str(), nullptr, 10);
  project.m_count = int32_t(count < INT_MIN ? INT_MIN : count > INT_MAX ? INT_MAX : count);

  while (ReadProjectLine(file, line) == 2) {
    const uint8_t state = (!line.empty() && line[0] >= '0' && line[0] <= '9') ? uint8_t(line[0] - '0') : 0;
    project.AppendLink(line.size() > 2 ? line.substr(2) : std::string(), state);
  }
  return 0;
}

int SaveProjectFile(const CDownloadProject& project, const std::filesystem::path& folder) {
  std::string temp = (folder / "project.cfg.XXXXXX").string();
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) return -1;
  ::fchmod(fd, 0644);
  std::FILE* out = ::fdopen(fd, "wb");
  if (!out) {
    ::close(fd);
    ::unlink(temp.c_str());
    return -1;
  }
  bool ok = std::fprintf(out, "%d\r\n", project.m_count) > 0;
  const size_t count = project.m_links.size();
  for (size_t i = 0; ok && i < count; ++i) {
    const std::string& link = project.m_links[i];
    ok = std::fprintf(out, "%d ", int(project.m_states[i])) > 0 &&
         std::fwrite(link.data(), 1, link.size(), out) == link.size() &&
         std::fputs("\r\n", out) >= 0;
  }
  ok = std::fflush(out) == 0 && ok;
  ok = ::fsync(::fileno(out)) == 0 && ok;
  ok = std::fclose(out) == 0 && ok;
  if (ok) ok = ::rename(temp.c_str(), (folder / kProjectFileName).c_str()) == 0;
  if (!ok) {
    ::unlink(temp.c_str());
    return -1;
  }
  return 0;
}
