#pragma once
// Everything FetchFile needs, for tests against a loopback server: the run's
// parts over a link list, a recording view, and a temporary project folder.
#include <atomic>
#include <filesystem>
#include <memory>
#include <string>

#include "engine/fetch_file.h"
#include "engine/file_store.h"
#include "engine/polite_fetch.h"
#include "engine/run_hand_off.h"
#include "engine/run_tallies.h"
#include "tests/support/recording_view.h"
#include "tests/support/temp_folder.h"

// The program a fixture runs as: a site crawler (Tarvelin's capabilities) or
// an image search (Quorvash's).
enum class Shape { Crawler, Search };

struct FetchFixture {
  explicit FetchFixture(Shape shape = Shape::Crawler, engine::PageHandler* handler = nullptr)
      : links(shape == Shape::Search), session(shape == Shape::Search ? "Quorvash" : "Tarvelin") {
    program.name = shape == Shape::Search ? "Quorvash" : "Tarvelin";
    program.pageHandler = handler;
    if (shape == Shape::Search) {
      program.keepsTextPages = true;
      program.storedNames = engine::StoredNames::PathTree;
      program.asksToResume = false;
      program.everyLinkNew = true;
      program.keepsPictureHost = true;
    }
    site.host = "thishost";
    switches.image = shape == Shape::Crawler;
    switches.diffRoot = shape == Shape::Crawler;
    UseFolder(folder.Path());
  }
  void UseFolder(const std::filesystem::path& path) {
    std::string error;
    store = engine::FileStore::Open(path, error);
  }
  // Takes link `index` (filling the list up to it) and fetches it as worker `worker`.
  engine::FetchOutcome Fetch(const std::string& link, int index = 3, int worker = 0) {
    while (links.Size() < index) links.Append("filler" + std::to_string(links.Size()), links::LinkState::Taken);
    if (links.Size() == index) links.Append(link, links::LinkState::New);
    links::TakenLink taken;
    while (links.TakeNext({}, taken, {}) == links::TakeResult::Taken && taken.index != index) {
    }
    engine::Fetching fetching =
        engine::FetchingFor(program, switches, site, logs, *store, links, tallies, handOff, pages);
    fetching.receiving.polite = polite;
    return engine::FetchFile(fetching, {worker, rows, signals}, session, link, index);
  }
  std::string Log() const { return logs.RunText(); }

  TempFolder folder;
  engine::Program program;
  links::LinkList links;
  RecordingView view;
  engine::RunLogs logs;
  engine::WorkerRows rows;
  engine::RunSignals signals;
  std::atomic<bool> leaving{false};
  std::unique_ptr<engine::FileStore> store;
  engine::RunHandOff handOff{view, 1, leaving};
  engine::RunSwitches switches;
  engine::Site site;
  engine::RunTallies tallies;
  engine::PageCache* pages = nullptr;     // none: every request goes to the network
  engine::Politeness* polite = nullptr;   // none: no robots.txt, no pacing
  platform::HttpSession session;
};
