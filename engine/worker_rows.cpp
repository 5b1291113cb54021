#include "engine/worker_rows.h"

namespace engine {

void WorkerRows::SetLabel(int worker, const std::string& text) {
  std::lock_guard g(m_mutex);
  m_rows[size_t(worker)].label = text;
}

void WorkerRows::Restart(int worker) {
  std::lock_guard g(m_mutex);
  m_rows[size_t(worker)].pos = 0;
  m_rows[size_t(worker)].lengthKnown = false;
}

void WorkerRows::SetRange(int worker, int64_t high) {
  std::lock_guard g(m_mutex);
  m_rows[size_t(worker)].high = high;
  m_rows[size_t(worker)].lengthKnown = true;
}

void WorkerRows::SetPos(int worker, int64_t pos) {
  std::lock_guard g(m_mutex);
  m_rows[size_t(worker)].pos = pos;
}

void WorkerRows::Step(int worker) {
  std::lock_guard g(m_mutex);
  WorkerRow& row = m_rows[size_t(worker)];
  row.pos += 10;
  if (row.pos > row.high) row.pos = 0;
}

void WorkerRows::Fill(int worker) {
  std::lock_guard g(m_mutex);
  m_rows[size_t(worker)].pos = m_rows[size_t(worker)].high;
}

void WorkerRows::ResetAll() {
  std::lock_guard g(m_mutex);
  for (WorkerRow& row : m_rows) {
    row.label.clear();
    row.pos = 0;
    row.lengthKnown = false;
  }
}

std::array<WorkerRow, kWorkerCount> WorkerRows::Snapshot() const {
  std::lock_guard g(m_mutex);
  return m_rows;
}

}  // namespace engine
