#pragma once
// What a run hands to its view while it goes on. A program that is leaving
// gets no more of it: questions are answered No (or Cancel) and no picture
// is handed over.
#include <atomic>
#include <filesystem>
#include <string>

#include "engine/engine_view.h"

namespace engine {

class RunHandOff {
 public:
  RunHandOff(EngineView& view, RunId run, const std::atomic<bool>& leaving)
      : m_view(view), m_run(run), m_leaving(leaving) {}

  bool Leaving() const { return m_leaving.load(); }
  bool Ask(Question question, const std::string& text) const {
    if (Leaving()) return false;
    const bool yes = m_view.Ask(question, text);
    return yes && !Leaving();
  }
  Answer AskOrCancel(Question question, const std::string& text) const {
    if (Leaving()) return Answer::Cancel;
    const Answer answer = m_view.AskOrCancel(question, text);
    return Leaving() ? Answer::Cancel : answer;
  }
  void AddPicture(const StoredPicture& picture) const {
    if (!Leaving()) m_view.AddPicture(picture);
  }
  void ProjectFolderChanged(const std::filesystem::path& folder) const { m_view.ProjectFolderChanged(m_run, folder); }

 private:
  EngineView& m_view;
  const RunId m_run;
  const std::atomic<bool>& m_leaving;
};

}  // namespace engine
