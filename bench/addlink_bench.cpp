// Cost of one AddLink call against the size of the list, beside a plain
// linear scan of the list (case-insensitive, newest entry first), which is
// what a list without an index has to do for every link found on a page.
//
// Links look like a crawled gallery: "gallery/2007/pic000123.jpg?size=l".
// "new" adds links not yet listed (the list grows by at most a tenth during a
// round, then is rebuilt); "listed" adds links already there, in another
// letter case, picked at random so that the scan goes halfway on average.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "links/ascii.h"
#include "links/link_list.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string MakeLink(int n) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "gallery/%d/pic%06d.jpg?size=l", 2000 + n % 20, n);
  return buffer;
}

std::string Shouted(std::string link) {
  for (char& c : link)
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  return link;
}

// The naive duplicate test: compare with every entry, newest first, letters
// folded as they are compared.
bool ListedByScan(const std::vector<std::string>& list, const std::string& link) {
  for (auto it = list.rbegin(); it != list.rend(); ++it) {
    const std::string& entry = *it;
    size_t i = 0;
    while (i < entry.size() && i < link.size() &&
           links::AsciiLower(entry[i]) == links::AsciiLower(link[i]))
      ++i;
    if (i == entry.size() && i == link.size()) return true;
  }
  return false;
}

void ScanAdd(std::vector<std::string>& list, const std::string& link, long long& added) {
  if (!ListedByScan(list, link)) {
    list.push_back(link);
    ++added;
  }
}

std::unique_ptr<links::LinkList> FilledProject(int size) {
  auto project = std::make_unique<links::LinkList>();
  for (int n = 0; n < size; ++n) project->AddLink(MakeLink(n), n % 3 == 0 ? 0 : 1);
  return project;
}

std::vector<std::string> FilledList(int size) {
  std::vector<std::string> list;
  list.reserve(size_t(size));
  for (int n = 0; n < size; ++n) list.push_back(MakeLink(n));
  return list;
}

// Mean nanoseconds per call over `calls` calls, split into rounds of at most
// `perRound` calls, each round on a freshly filled list (not timed).
template <typename Fresh, typename Call>
double MeanNs(int calls, int perRound, Fresh fresh, Call call) {
  Clock::duration total{};
  int done = 0;
  while (done < calls) {
    auto state = fresh();
    const int round = std::min(perRound, calls - done);
    const auto start = Clock::now();
    for (int i = 0; i < round; ++i) call(state, done + i);
    total += Clock::now() - start;
    done += round;
  }
  return std::chrono::duration<double, std::nano>(total).count() / calls;
}

std::string Shown(double ns) {
  char buffer[32];
  if (ns < 10'000)
    std::snprintf(buffer, sizeof buffer, "%.0f ns", ns);
  else if (ns < 10'000'000)
    std::snprintf(buffer, sizeof buffer, "%.1f us", ns / 1e3);
  else
    std::snprintf(buffer, sizeof buffer, "%.1f ms", ns / 1e6);
  return buffer;
}

}  // namespace

int main() {
  std::printf("mean time per call; \"listed\" = the link is in the list already\n\n");
  std::printf("%9s | %14s %14s | %14s %14s\n", "links", "AddLink new", "AddLink listed",
              "scan new", "scan listed");
  std::printf("----------+------------------------------+------------------------------\n");

  long long sink = 0;
  for (const int size : {1'000, 10'000, 100'000}) {
    const int perRound = size / 10;
    std::mt19937 random(12345);
    std::vector<std::string> listed(50'000);
    for (auto& link : listed) link = Shouted(MakeLink(int(random() % unsigned(size))));
    std::vector<std::string> unlisted(100'000);
    for (size_t i = 0; i < unlisted.size(); ++i) unlisted[i] = MakeLink(size + int(i));

    // AddLink is cheap enough for a fixed number of calls at every size.
    const double addNew = MeanNs(100'000, perRound, [&] { return FilledProject(size); },
                                 [&](auto& project, int i) {
                                   sink += project->AddLink(unlisted[size_t(i)], 1).value_or(0);
                                 });
    auto project = FilledProject(size);
    const double addListed = MeanNs(int(listed.size()), int(listed.size()), [&] { return 0; },
                                    [&](int, int i) {
                                      sink += project->AddLink(listed[size_t(i)], 1).has_value();
                                    });

    // The scan costs in proportion to the list, so it gets fewer calls.
    const int scanCalls = std::max(50, 20'000'000 / size);
    const double scanNew = MeanNs(scanCalls, perRound, [&] { return FilledList(size); },
                                  [&](auto& list, int i) { ScanAdd(list, unlisted[size_t(i)], sink); });
    auto list = FilledList(size);
    const double scanListed = MeanNs(scanCalls, scanCalls, [&] { return 0; }, [&](int, int i) {
      ScanAdd(list, listed[size_t(i) % listed.size()], sink);
    });

    std::printf("%9d | %14s %14s | %14s %14s\n", size, Shown(addNew).c_str(),
                Shown(addListed).c_str(), Shown(scanNew).c_str(), Shown(scanListed).c_str());
    std::fflush(stdout);
  }
  std::printf("\n(checksum %lld)\n", sink);
  return 0;
}
