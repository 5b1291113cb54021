// Runs the Tarvelin window, as `Tarvelin ADDRESS` runs it, over a site and
// prints what a user would feel: how long the window's event loop was kept
// from running, how long the run took, and the memory the process held.
//
//   QT_QPA_PLATFORM=offscreen build/bench/bench_window --folder DIR [--mark N] ADDRESS
//
// A 5 ms timer on the window's thread measures the loop's stalls: every gap
// between two of its ticks beyond 5 ms is time the window could not answer.
// The window first shows idle for a second, as a user finds it, and its memory
// then is the idle figure; the run starts after it. With --mark N the
// process's peak memory is also taken when the list holds N thumbnails, so
// the difference is what the list added. The end question is answered No; the program ends with the run.
// Prints one line of "key=value" figures (times in ms, memory in MB).
#include <QApplication>
#include <algorithm>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>

#include "pictures/thumbnail_feed.h"
#include "window/engine_control.h"
#include "window/main_dialog.h"
#include "window/start_up.h"
#include "window/window_app.h"
#include "window/window_session.h"
#include "tarvelin/tarvelin_window_program.h"

namespace {

double StatusMb(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind(field, 0) == 0) return std::stod(line.substr(std::string(field).size())) / 1024.0;
  return -1;
}

// The event loop's stalls, seen from a timer that should tick every 5 ms.
// Beside each stall, the window thread's own CPU time meanwhile tells work
// done on that thread from waiting for a core. STALLS=N prints every stall
// over N ms.
class StallMeter : public QObject {
 public:
  StallMeter() {
    m_clock.start();
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(kTickMs);
    connect(&m_timer, &QTimer::timeout, this, [this] { Tick(); });
    m_last = m_clock.nsecsElapsed() / 1e6;
    m_cpu = ThreadCpuMs();
    m_timer.start();
  }
  double ThreadCpu() const { return ThreadCpuMs(); }
  double Worst() const { return m_worst; }
  double WorstCpu() const { return m_worstCpu; }
  // The most work the window's thread did between two ticks.
  double Busiest() const { return m_busiest; }
  int Over16() const { return m_over16; }
  int Over50() const { return m_over50; }

 private:
  static constexpr int kTickMs = 5;

  // The window's thread: the meter lives on it.
  static double ThreadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
  }
  void Tick() {
    const double now = m_clock.nsecsElapsed() / 1e6, cpu = ThreadCpuMs();
    const double late = now - m_last - kTickMs, used = cpu - m_cpu;
    m_last = now;
    m_cpu = cpu;
    if (late > m_worst) {
      m_worst = late;
      m_worstCpu = used;
    }
    m_busiest = std::max(m_busiest, used);
    m_over16 += late > 16;
    m_over50 += late > 50;
    if (m_print > 0 && late > m_print) std::fprintf(stderr, "stall %.0f ms at %.0f ms, %.1f ms of it working\n", late, now, used);
  }

  const int m_print = qEnvironmentVariableIntValue("STALLS");
  QElapsedTimer m_clock;
  QTimer m_timer;
  double m_last = 0, m_cpu = 0, m_worst = 0, m_worstCpu = 0, m_busiest = 0;
  int m_over16 = 0, m_over50 = 0;
};

int Usage() {
  std::fprintf(stderr, "usage: bench_window --folder DIR [--mark N] ADDRESS\n");
  return 64;
}

}  // namespace

int main(int argc, char** argv) {
  QElapsedTimer wall;
  wall.start();
  QApplication app(argc, argv);
  QCoreApplication::setOrganizationName(QString::fromLatin1(window::kOrganisation));
  QCoreApplication::setApplicationName("Tarvelin");
  QStringList args = QCoreApplication::arguments().mid(1);
  QString folder, address;
  int mark = 0;
  for (int i = 0; i < args.size(); ++i) {
    if (args[i] == "--folder" && i + 1 < args.size())
      folder = args[++i];
    else if (args[i] == "--mark" && i + 1 < args.size())
      mark = args[++i].toInt();
    else
      address = args[i];
  }
  if (folder.isEmpty() || address.isEmpty()) return Usage();

  window::StartUp startUp;
  window::WindowSession session(tarvelin::TarvelinWindowProgram(), "Tarvelin", startUp, folder.toStdString());
  session.Control().View().SetAsker([](const window::MessageRequest&) { return engine::Answer::No; });
  StallMeter stalls;
  double markMb = -1, markMs = -1, idleMb = -1;
  qint64 shownMs = 0, startMs = 0;
  QObject::connect(&session.Feed(), &pictures::ThumbnailFeed::counterTextChanged, [&](const QString& text) {
    if (mark > 0 && markMb < 0 && text.toInt() >= mark) {
      markMb = StatusMb("VmHWM:");
      markMs = wall.elapsed();
    }
  });
  QObject::connect(&session.Control().View(), &window::WindowView::runEnded, &app, [&] {
    std::printf("wall_ms=%lld run_ms=%lld idle_wait_ms=%lld idle_mb=%.1f thumbnails=%d worst_stall_ms=%.1f worst_stall_working_ms=%.1f busiest_ms=%.1f "
                "stalls_over_16ms=%d decodes=%d window_thread_cpu_ms=%.0f "
                "stalls_over_50ms=%d peak_mb=%.1f rss_end_mb=%.1f mark=%d mark_peak_mb=%.1f mark_ms=%.0f\n",
                static_cast<long long>(wall.elapsed()), static_cast<long long>(wall.elapsed() - startMs),
                static_cast<long long>(startMs - shownMs), idleMb, session.Feed().Count(), stalls.Worst(), stalls.WorstCpu(),
                stalls.Busiest(), stalls.Over16(), session.Feed().Model().Decodes(), stalls.ThreadCpu(), stalls.Over50(), StatusMb("VmHWM:"), StatusMb("VmRSS:"), mark, markMb, markMs);
    std::fflush(stdout);
    app.exit(0);  // quit() would close the window, which asks whether to exit
  });
  session.Dialog().show();
  shownMs = wall.elapsed();
  QTimer::singleShot(1000, &app, [&] {
    idleMb = StatusMb("VmHWM:");
    startMs = wall.elapsed();
    session.Control().Download(address.toStdString());
  });
  app.exec();
  return 0;
}
