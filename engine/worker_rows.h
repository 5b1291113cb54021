#pragma once
// The five worker rows (the file a worker took last and its progress), kept
// in the engine so a view reads them at its own pace instead of being called
// for every read of every file.
#include <array>
#include <cstdint>
#include <mutex>
#include <string>

namespace engine {

inline constexpr int kWorkerCount = 5;

struct WorkerRow {
  std::string label;         // the link, "index.htm" for the site root
  int64_t high = 100;        // the progress range is 0 .. high
  int64_t pos = 0;
  bool lengthKnown = false;  // the file announced its length
};

class WorkerRows {
 public:
  void SetLabel(int worker, const std::string& text);
  // Position 0; the range stays until the next length is announced.
  void Restart(int worker);
  void SetRange(int worker, int64_t high);
  void SetPos(int worker, int64_t pos);
  // One step of 10 for a body without announced length; wraps past the end.
  void Step(int worker);
  void Fill(int worker);
  void ResetAll();

  std::array<WorkerRow, kWorkerCount> Snapshot() const;

 private:
  mutable std::mutex m_mutex;  // guards m_rows
  std::array<WorkerRow, kWorkerCount> m_rows;
};

}  // namespace engine
