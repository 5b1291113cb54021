#include "engine/project_start.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "links/address.h"
#include "platform/folders.h"
#include "engine/project_file.h"
#include "engine/workers.h"

namespace fs = std::filesystem;

namespace {

void ReadRunSettings(CDownloadProject& p, const platform::SettingsStore& s, const Program& program) {
  const std::string section = platform::kSettingsSection;
  p.m_maxCount = s.ReadSettingInt(section, "MaxCount", 0);
  p.m_rangeFrom = s.ReadSettingInt(section, "RangeFrom", 0);
  p.m_rangeTo = s.ReadSettingInt(section, "RangeTo", 0);
  p.m_text = s.ReadSettingInt(section, "text", 1);
  p.m_others = s.ReadSettingInt(section, "others", 0);
  p.m_fileSizeKB = s.ReadSettingInt(section, "file size", 0);
  p.m_showLink = s.ReadSettingInt(section, "show link", 0);
  p.m_showThread = s.ReadSettingInt(section, "show thread", 0);
  p.m_image = s.ReadSettingInt(section, "image", program.DefaultImage());
  p.m_diffRoot = s.ReadSettingInt(section, "diff root", program.DefaultDiffRoot());
  p.m_level = std::max(0, s.ReadSettingInt(section, "level", 0));
}

}  // namespace

std::optional<fs::path> ProjectFolderFor(const fs::path& programFolder, const std::string& host) {
  if (host.empty() || host == "." || host == ".." ||
      host.find_first_of(std::string("/\\\0", 3)) != std::string::npos)
    return std::nullopt;
  const fs::path folder = programFolder / host;
  if (folder.parent_path() != programFolder || folder.filename() != host) return std::nullopt;
  return folder;
}

int StartProject(CDownloadProject& project, RunContext& context,
                 const platform::SettingsStore& settings, const ProjectStart& start) {
  for (int k = 0; k < kWorkerCount; ++k) {
    context.view.SetWorkerLabel(k, "");
    context.view.SetProgressPos(k, 0);
  }
  context.view.RefreshTitleLog();
  context.view.RefreshRunLog();

  if (start.address.empty()) return kStartNoAddress;
  ReadRunSettings(project, settings, context.program);

  const auto address = links::SplitAddress(start.address);
  if (!address) return kStartBadAddress;
  const fs::path programFolder = fs::absolute(start.programFolder).lexically_normal();
  const auto folder = ProjectFolderFor(programFolder, address->host);
  if (!folder) return kStartBadAddress;
  std::error_code ec;
  fs::create_directories(*folder, ec);
  if (!fs::is_directory(*folder, ec)) return kStartBadAddress;  // never write anywhere else

  project.m_host = address->host;
  project.m_secure = address->secure;
  project.m_port = address->port;
  settings.WriteSettingString(platform::kSettingsSection, "history", start.address);
  if (::chdir(folder->c_str()) != 0) return kStartBadAddress;
  context.projectFolder = *folder;

  project.ClearLinks();
  bool resumed = false;
  if (!context.program.IsQuorvash() && !start.startedWithAddress) {
    if (std::FILE* file = std::fopen((*folder / kProjectFileName).c_str(), "rb")) {
      if (context.Ask(Question::ContinueDownload,
                      "This website has been downloaded, do you want to continue the previous download?")) {
        LoadProjectFile(project, file);
        resumed = true;
      }
      std::fclose(file);
    }
  }
  if (!resumed) {
    platform::ClearFolderToTrash(*folder);
    std::string link0 = address->object;
    if (!link0.empty() && link0.front() == '/') link0.erase(0, 1);
    project.AppendLink(link0, LINK_NEW);
    project.m_count = 0;
  }

  RunWorkers(project, context);
  if (context.workersDone) context.workersDone();
  context.view.RefreshRunLog();
  context.signals.SetStop();
  SaveProjectFile(project, *folder);
  return kStartOk;
}
